#pragma once

// Labels for the artwork: FreeType renders each glyph's coverage, and the
// raster library blends it onto the picture in the label's colour.

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

private:
  float run(LICE_IBitmap* dest, const std::string& text, int px, float x, int baseline,
            LICE_pixel color, float tracking);

  void* mLibrary = nullptr; // FT_Library
  void* mFace = nullptr;    // FT_Face
};
