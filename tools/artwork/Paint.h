#pragma once

// Drawing helpers for the artwork, built on the raster library's shapes and
// blits: shaded discs and plates, thick strokes, rings.

#include "lice.h"

#include <functional>

namespace paint
{
const double kPi = 3.14159265358979323846;

// Angles of every knob: 0 straight up, clockwise, the sweep running from
// kSweepStart to kSweepEnd (7 o'clock to 5 o'clock).
const double kSweepStart = -0.75 * kPi;
const double kSweepEnd = 0.75 * kPi;
inline double sweepAngle(double t)
{
  return kSweepStart + (kSweepEnd - kSweepStart) * t;
}

LICE_pixel mix(LICE_pixel a, LICE_pixel b, double t);
LICE_pixel withAlpha(LICE_pixel c, int alpha);

// A mask is drawn white into a scratch bitmap through `shape` (coordinates
// relative to the box), then the box is filled with a vertical gradient from
// `top` to `bottom` wherever the mask covers it, blended with source alpha.
void shaded(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel top, LICE_pixel bottom,
            const std::function<void(LICE_IBitmap* mask)>& shape);

void disc(LICE_IBitmap* dest, double cx, double cy, double r, LICE_pixel top, LICE_pixel bottom);
void plate(LICE_IBitmap* dest, int x, int y, int w, int h, int radius, LICE_pixel top,
           LICE_pixel bottom);
// A filled rounded rectangle in one colour into a mask or picture.
void roundRectFill(LICE_IBitmap* dest, int x, int y, int w, int h, int radius, LICE_pixel color);

// A round-capped stroke of the given width.
void stroke(LICE_IBitmap* dest, double x1, double y1, double x2, double y2, double width,
            LICE_pixel color);
// A ring segment (radius r, thickness th) between two knob angles.
void arcBand(LICE_IBitmap* dest, double cx, double cy, double r, double th, double from, double to,
             LICE_pixel color);
// A soft glow: discs of falling alpha around (cx, cy) from r0 out to r1.
void glow(LICE_IBitmap* dest, double cx, double cy, double r0, double r1, LICE_pixel color,
          int peakAlpha);
} // namespace paint
