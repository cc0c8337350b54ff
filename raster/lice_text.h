#pragma once

// Text drawn with a platform font, either through the platform's own text
// drawing or from a cache of glyphs rendered once per font.
//
// On Windows the platform font is an HFONT and glyphs come from GDI. On
// other systems it is a FreeType face made by LICE_CreateFont.

#include "lice.h"

typedef void* LICE_HFONT; // HFONT on Windows

#if !defined(_WIN32)
// A platform font of the family (fontconfig's file for it; DejaVu Sans when
// the family is not installed), `height` pixels from ascent to descent like
// a GDI font of positive height, for LICE_CachedFont::SetFromHFont with
// LICE_FONT_OWNS_HFONT. Null when no font file can be found.
LICE_HFONT LICE_CreateFont(const char* family, int height, bool bold, bool italic, bool antiAlias);
#endif

enum
{
  LICE_FONT_FLAG_VERTICAL = 0x1,
  LICE_FONT_FLAG_VERTICAL_BOTTOMUP = 0x2,
  LICE_FONT_PRECALC = 0x4,        // render the glyphs of codes 0-127 at once
  LICE_FONT_FLAG_FX_MASK = 0x1F0, // effect flags, not drawn by this library
  LICE_FONT_OWNS_HFONT = 0x200,   // delete the platform font when replaced or destroyed
  LICE_FONT_FORCE_NATIVE = 0x400, // draw through the platform's text drawing when possible
};

// Format flags of DrawTextA: the platform's values, plus one of the library's.
enum
{
  LICE_DT_CENTER = 0x1,
  LICE_DT_RIGHT = 0x2,
  LICE_DT_VCENTER = 0x4,
  LICE_DT_BOTTOM = 0x8,
  LICE_DT_SINGLELINE = 0x20,
  LICE_DT_NOCLIP = 0x100,
  LICE_DT_CALCRECT = 0x400,
  LICE_DT_USEFGALPHA = 0x40000000, // blend the glyphs with the text colour's alpha
};

// Background modes, the platform's values.
enum
{
  LICE_BKMODE_TRANSPARENT = 1,
  LICE_BKMODE_OPAQUE = 2,
};

// The abstract font. The slot order of the virtual operations is fixed.
class LICE_IFont
{
public:
  virtual ~LICE_IFont() {}
  virtual void SetFromHFont(LICE_HFONT font, int flags = 0) = 0;
  virtual LICE_pixel SetTextColor(LICE_pixel color) = 0;   // returns the previous one
  virtual LICE_pixel SetBkColor(LICE_pixel color) = 0;     // returns the previous one
  virtual LICE_pixel SetEffectColor(LICE_pixel color) = 0; // returns the previous one
  virtual int SetBkMode(int mode) = 0;                     // returns the previous one
  virtual void SetCombineMode(int mode, float alpha = 1.0f) = 0;
  // Draws UTF-8 text (length -1: up to the NUL) into the rectangle; with
  // LICE_DT_CALCRECT draws nothing and sets the rectangle to the text's
  // extent. A null bitmap only measures. Returns the text height.
  virtual int DrawTextA(LICE_IBitmap* bitmap, const char* text, int length, LICE_Rect* rect,
                        int format) = 0;
  virtual LICE_pixel GetTextColor() = 0;
  virtual LICE_HFONT GetHFont() = 0;
  virtual int GetLineHeight() = 0;
};

// Glyphs are rendered once per font (white on black, through a shared
// scratch bitmap) and drawn with the text colour, combine mode and alpha.
// With LICE_FONT_FORCE_NATIVE, no vertical, effect or precalculation flags,
// and no LICE_DT_USEFGALPHA, text goes through the platform's own drawing
// instead, unless the platform is a compatibility layer on another system.
class LICE_CachedFont : public LICE_IFont
{
public:
  LICE_CachedFont();
  ~LICE_CachedFont() override;
  LICE_CachedFont(const LICE_CachedFont&) = delete;
  LICE_CachedFont& operator=(const LICE_CachedFont&) = delete;

  void SetFromHFont(LICE_HFONT font, int flags = 0) override;
  LICE_pixel SetTextColor(LICE_pixel color) override;
  LICE_pixel SetBkColor(LICE_pixel color) override;
  LICE_pixel SetEffectColor(LICE_pixel color) override;
  int SetBkMode(int mode) override;
  void SetCombineMode(int mode, float alpha = 1.0f) override;
  int DrawTextA(LICE_IBitmap* bitmap, const char* text, int length, LICE_Rect* rect,
                int format) override;
  LICE_pixel GetTextColor() override { return mTextColor; }
  LICE_HFONT GetHFont() override { return mFont; }
  int GetLineHeight() override { return mLineHeight; }

private:
  struct Glyph;
  struct GlyphCache;

  const Glyph* glyph(unsigned int codepoint);
  void clearCache();

  LICE_HFONT mFont = nullptr;
  int mFlags = 0;
  int mLineHeight = 0;
  LICE_pixel mTextColor = 0;
  LICE_pixel mBkColor = 0xFFFFFFFF;
  LICE_pixel mEffectColor = 0xFFFFFFFF;
  int mBkMode = LICE_BKMODE_TRANSPARENT;
  int mCombineMode = LICE_MODE_COPY;
  float mCombineAlpha = 1.0f;
  GlyphCache* mCache = nullptr;
};
