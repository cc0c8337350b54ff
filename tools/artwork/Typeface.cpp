#include "Typeface.h"

#include <cmath>

#include <ft2build.h>
#include FT_FREETYPE_H

Typeface::~Typeface()
{
  if (mFace)
    FT_Done_Face(static_cast<FT_Face>(mFace));
  if (mLibrary)
    FT_Done_FreeType(static_cast<FT_Library>(mLibrary));
}

bool Typeface::open(const std::string& path)
{
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0)
    return false;
  mLibrary = library;
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &face) != 0)
    return false;
  mFace = face;
  return true;
}

int Typeface::measure(const std::string& text, int px, float tracking)
{
  return static_cast<int>(run(nullptr, text, px, 0.0f, 0, 0, tracking) + 0.5f);
}

void Typeface::draw(LICE_IBitmap* dest, const std::string& text, int px, float x, int baseline,
                    LICE_pixel color, float tracking)
{
  run(dest, text, px, x, baseline, color, tracking);
}

void Typeface::drawCentred(LICE_IBitmap* dest, const std::string& text, int px, float cx,
                           int baseline, LICE_pixel color, float tracking)
{
  const float w = run(nullptr, text, px, 0.0f, 0, 0, tracking);
  run(dest, text, px, cx - w / 2.0f, baseline, color, tracking);
}

void Typeface::drawRight(LICE_IBitmap* dest, const std::string& text, int px, float right,
                         int baseline, LICE_pixel color, float tracking)
{
  const float w = run(nullptr, text, px, 0.0f, 0, 0, tracking);
  run(dest, text, px, right - w, baseline, color, tracking);
}

void Typeface::draw(paint::Canvas& canvas, const std::string& text, int px, float x, int baseline,
                    LICE_pixel color, float tracking)
{
  drawOn(canvas, text, px, x, baseline, color, tracking, kLeft);
}

void Typeface::drawCentred(paint::Canvas& canvas, const std::string& text, int px, float cx,
                           int baseline, LICE_pixel color, float tracking)
{
  drawOn(canvas, text, px, cx, baseline, color, tracking, kCentre);
}

void Typeface::drawRight(paint::Canvas& canvas, const std::string& text, int px, float right,
                         int baseline, LICE_pixel color, float tracking)
{
  drawOn(canvas, text, px, right, baseline, color, tracking, kRight);
}

void Typeface::drawOn(paint::Canvas& canvas, const std::string& text, int px, float x, int baseline,
                      LICE_pixel color, float tracking, Align align)
{
  LICE_IBitmap* dest = canvas.bitmap();
  if (canvas.atLayoutSize())
  {
    if (align == kLeft)
      draw(dest, text, px, x, baseline, color, tracking);
    else if (align == kCentre)
      drawCentred(dest, text, px, x, baseline, color, tracking);
    else
      drawRight(dest, text, px, x, baseline, color, tracking);
    return;
  }
  const float w = align == kLeft ? 0.0f : run(nullptr, text, px, 0.0f, 0, 0, tracking);
  run(dest, text, px, align == kLeft ? x : (align == kCentre ? x - w / 2.0f : x - w),
      canvas.edgeY(baseline), color, tracking, canvas.scale());
}

namespace
{
// Whole sizes as pixel sizes, fractional ones as 26.6 character sizes at
// 72 dpi.
FT_Error setSize(FT_Face face, double px)
{
  return px == std::floor(px)
             ? FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(px))
             : FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(px * 64.0)), 72, 72);
}
} // namespace

// Lays the text out at px (and draws it when dest is set); returns its
// width. At a scale the layout is still the one at px, every pen position
// times the scale, and each glyph is rendered at px times the scale: the
// text lines up with its 100 % self, with glyphs drawn for the finer grid.
float Typeface::run(LICE_IBitmap* dest, const std::string& text, int px, float x, int baseline,
                    LICE_pixel color, float tracking, double scale)
{
  FT_Face face = static_cast<FT_Face>(mFace);
  if (!face || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(px)) != 0)
    return 0.0f;
  const bool scaled = scale != 1.0;
  const float start = x;
  FT_UInt previous = 0;
  for (size_t i = 0; i < text.size(); ++i)
  {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(text[i]));
    if (previous && index && FT_HAS_KERNING(face))
    {
      FT_Vector kern;
      if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern) == 0)
        x += kern.x / 64.0f;
    }
    previous = index;
    if (FT_Load_Glyph(face, index,
                      (scaled ? FT_LOAD_DEFAULT : FT_LOAD_RENDER) | FT_LOAD_TARGET_LIGHT) != 0)
      continue;
    const float advance = face->glyph->advance.x / 64.0f;
    if (dest && scaled &&
        (setSize(face, px * scale) != 0 ||
         FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0))
    {
      FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(px));
      x += advance + tracking;
      continue;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (dest && bm.width > 0 && bm.rows > 0 && bm.pixel_mode == FT_PIXEL_MODE_GRAY)
    {
      // The glyph as a picture of the label colour whose alpha is the
      // coverage, blended with the source-alpha copy.
      LICE_MemBitmap glyph(static_cast<int>(bm.width), static_cast<int>(bm.rows), 1);
      LICE_pixel* out = glyph.getBits();
      for (unsigned int row = 0; row < bm.rows; ++row)
        for (unsigned int col = 0; col < bm.width; ++col)
        {
          const int cov = bm.buffer[row * bm.pitch + col] * LICE_GETA(color) / 255;
          out[row * glyph.getRowSpan() + col] =
              (color & 0x00FFFFFF) | (static_cast<LICE_pixel>(cov) << 24);
        }
      // At a scale the pen goes where the 100 % pen lands, its whole pixel
      // times the scale, so the glyph sits where the 100 % glyph sits.
      const float pen = scaled ? static_cast<float>(std::floor(x + 0.5f) * scale) : x;
      LICE_Blit(dest, &glyph, static_cast<int>(pen + 0.5f) + slot->bitmap_left,
                baseline - slot->bitmap_top, 0, 0, glyph.getWidth(), glyph.getHeight(), 1.0f,
                LICE_MODE_COPY | LICE_FLAG_USE_ALPHA);
    }
    if (dest && scaled)
      FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(px));
    x += advance + tracking;
  }
  return x - start - (text.empty() ? 0.0f : tracking);
}
