#pragma once

// Drawing helpers for the artwork, built on the raster library's shapes and
// blits: shaded discs and plates, thick strokes, rings. Each comes twice:
// in the picture's pixels, and on a Canvas in the picture's layout units at
// the canvas's scale.

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
// An anti-aliased circle outline of the given thickness around radius r
// (the middle of the outline), each pixel weighted by its coverage times
// alpha.
void ring(LICE_IBitmap* dest, double cx, double cy, double r, double thickness, LICE_pixel color,
          float alpha);

// A picture drawn at a scale. The drawing code keeps to the picture's
// layout units, its pixels at 100 %, and the canvas maps them to its own
// pixels: coordinates that name pixel centres (shapes) as
// (v + 0.5) * scale - 0.5, those that name pixel edges (rectangles, text
// pens and baselines) as v * scale, lengths as v * scale. At scale 1 every
// mapping hands its argument back untouched and every drawing call below
// makes exactly the call it stands for, so the 100 % pictures come out as
// they always did.
//
// A stacked picture is mapped one frame at a time: frame(top, pixelTop)
// says that layout row top starts at pixel row pixelTop, so each frame
// starts on its own pixel row even where a frame's height times the scale
// is not whole.
class Canvas
{
public:
  Canvas(LICE_IBitmap* bitmap, double scale) : mBitmap(bitmap), mScale(scale) {}

  LICE_IBitmap* bitmap() const { return mBitmap; }
  double scale() const { return mScale; }
  bool atLayoutSize() const { return mScale == 1.0; }
  void frame(int top, int pixelTop)
  {
    mTop = top;
    mPixelTop = pixelTop;
  }

  // A length of n layout units in pixels, rounded as the editor rounds it.
  int pixels(int n) const;
  double x(double v) const { return atLayoutSize() ? v : (v + 0.5) * mScale - 0.5; }
  double y(double v) const
  {
    return atLayoutSize() ? v : mPixelTop + (v - mTop + 0.5) * mScale - 0.5;
  }
  double len(double v) const { return atLayoutSize() ? v : v * mScale; }
  // Pixel edges, rounded half up.
  int edgeX(double v) const;
  int edgeY(double v) const;

private:
  LICE_IBitmap* mBitmap;
  double mScale;
  int mTop = 0, mPixelTop = 0;
};

void disc(Canvas& c, double cx, double cy, double r, LICE_pixel top, LICE_pixel bottom);
void plate(Canvas& c, int x, int y, int w, int h, int radius, LICE_pixel top, LICE_pixel bottom);
// The box (x, y, w, h) in layout units; the mask is drawn in the canvas's
// pixels.
void shaded(Canvas& c, int x, int y, int w, int h, LICE_pixel top, LICE_pixel bottom,
            const std::function<void(LICE_IBitmap* mask)>& shape);
void stroke(Canvas& c, double x1, double y1, double x2, double y2, double width, LICE_pixel color);
void arcBand(Canvas& c, double cx, double cy, double r, double th, double from, double to,
             LICE_pixel color);
void glow(Canvas& c, double cx, double cy, double r0, double r1, LICE_pixel color, int peakAlpha);
// A one-unit outline of radius r: the raster library's anti-aliased circle
// at 100 %, a ring of the scaled thickness elsewhere.
void circle(Canvas& c, double cx, double cy, double r, LICE_pixel color, float alpha);
// A one-unit line through both end points (copy mode, weighted by alpha):
// the raster library's line at 100 %; elsewhere the pixels the unit-wide
// line covers, or a stroke of one unit for a slanted line.
void line(Canvas& c, int x1, int y1, int x2, int y2, LICE_pixel color, float alpha);
// A filled rectangle, copy mode weighted by alpha.
void fillRect(Canvas& c, double x, double y, double w, double h, LICE_pixel color, float alpha);
} // namespace paint
