#pragma once

// Labels for the artwork: FreeType renders each glyph's coverage, and the
// raster library blends it onto the picture in the label's colour.

#include "Paint.h"
#include "lice.h"

#include <string>

class Typeface
{
public:
  Typeface() = default;
  ~Typeface();
  Typeface(const Typeface&) = delete;
  Typeface& operator=(const Typeface&) = delete;

  // False when FreeType or the font file cannot be opened.
  bool open(const std::string& path);

  // Width in pixels of the text at this pixel size, with `tracking` extra
  // pixels between letters.
  int measure(const std::string& text, int px, float tracking = 0.0f);

  // Draws with the left end of the baseline at (x, baseline).
  void draw(LICE_IBitmap* dest, const std::string& text, int px, float x, int baseline,
            LICE_pixel color, float tracking = 0.0f);
  void drawCentred(LICE_IBitmap* dest, const std::string& text, int px, float cx, int baseline,
                   LICE_pixel color, float tracking = 0.0f);
  void drawRight(LICE_IBitmap* dest, const std::string& text, int px, float right, int baseline,
                 LICE_pixel color, float tracking = 0.0f);

  // The same in layout units on a canvas: at its scale the text keeps its
  // 100 % layout (every glyph's pen times the scale, so labels line up with
  // the 100 % picture's), and each glyph is rendered at the scaled size,
  // not enlarged.
  void draw(paint::Canvas& canvas, const std::string& text, int px, float x, int baseline,
            LICE_pixel color, float tracking = 0.0f);
  void drawCentred(paint::Canvas& canvas, const std::string& text, int px, float cx, int baseline,
                   LICE_pixel color, float tracking = 0.0f);
  void drawRight(paint::Canvas& canvas, const std::string& text, int px, float right, int baseline,
                 LICE_pixel color, float tracking = 0.0f);

private:
  enum Align
  {
    kLeft,
    kCentre,
    kRight,
  };
  void drawOn(paint::Canvas& canvas, const std::string& text, int px, float x, int baseline,
              LICE_pixel color, float tracking, Align align);
  // x and tracking in layout units, baseline in dest's pixels.
  float run(LICE_IBitmap* dest, const std::string& text, int px, float x, int baseline,
            LICE_pixel color, float tracking, double scale = 1.0);

  void* mLibrary = nullptr; // FT_Library
  void* mFace = nullptr;    // FT_Face
};
