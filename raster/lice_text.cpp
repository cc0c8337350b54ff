// The platform-independent half of LICE_CachedFont: the glyph cache, text
// layout and glyph drawing. The platform layer renders glyphs and, where it
// can, draws text itself.

#include "lice_text.h"
#include "lice_internal.h"
#include "lice_platform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

namespace
{
const int kNativeBlockers = LICE_FONT_FLAG_VERTICAL | LICE_FONT_FLAG_VERTICAL_BOTTOMUP |
                            LICE_FONT_FLAG_FX_MASK | LICE_FONT_PRECALC;

// Decodes UTF-8; a byte that does not start a valid sequence stands for
// itself (as Latin-1), so no input is lost or read past its end.
std::vector<unsigned int> decodeUtf8(const char* text, int length)
{
  std::vector<unsigned int> out;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  int i = 0;
  while (i < length)
  {
    const unsigned int c = s[i];
    int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
    if (c >= 0xF5)
      extra = 0;
    unsigned int cp = extra == 3 ? (c & 7) : extra == 2 ? (c & 15) : extra == 1 ? (c & 31) : c;
    bool ok = extra > 0;
    for (int k = 1; ok && k <= extra; ++k)
    {
      if (i + k >= length || (s[i + k] & 0xC0) != 0x80)
        ok = false;
      else
        cp = (cp << 6) | (s[i + k] & 63);
    }
    if (extra > 0 && ok)
    {
      out.push_back(cp);
      i += extra + 1;
    }
    else
    {
      out.push_back(c);
      ++i;
    }
  }
  return out;
}
} // namespace

struct LICE_CachedFont::Glyph
{
  int width = 0;
  int height = 0;
  std::vector<unsigned char> coverage;
};

struct LICE_CachedFont::GlyphCache
{
  std::unordered_map<unsigned int, Glyph> glyphs;
};

LICE_CachedFont::LICE_CachedFont() {}

LICE_CachedFont::~LICE_CachedFont()
{
  clearCache();
  if (mFont && (mFlags & LICE_FONT_OWNS_HFONT))
    lice::platform::deleteFont(mFont);
}

void LICE_CachedFont::clearCache()
{
  delete mCache;
  mCache = nullptr;
}

void LICE_CachedFont::SetFromHFont(LICE_HFONT font, int flags)
{
  if (mFont && mFont != font && (mFlags & LICE_FONT_OWNS_HFONT))
    lice::platform::deleteFont(mFont);
  clearCache();
  mFont = font;
  mFlags = flags;
  mLineHeight = font ? lice::platform::fontLineHeight(font) : 0;
  if (font && (flags & LICE_FONT_PRECALC))
    for (unsigned int c = 0; c < 128; ++c)
      glyph(c);
}

LICE_pixel LICE_CachedFont::SetTextColor(LICE_pixel color)
{
  const LICE_pixel old = mTextColor;
  mTextColor = color;
  return old;
}

LICE_pixel LICE_CachedFont::SetBkColor(LICE_pixel color)
{
  const LICE_pixel old = mBkColor;
  mBkColor = color;
  return old;
}

LICE_pixel LICE_CachedFont::SetEffectColor(LICE_pixel color)
{
  const LICE_pixel old = mEffectColor;
  mEffectColor = color;
  return old;
}

int LICE_CachedFont::SetBkMode(int mode)
{
  const int old = mBkMode;
  mBkMode = mode;
  return old;
}

void LICE_CachedFont::SetCombineMode(int mode, float alpha)
{
  mCombineMode = mode;
  mCombineAlpha = alpha;
}

const LICE_CachedFont::Glyph* LICE_CachedFont::glyph(unsigned int codepoint)
{
  if (!mFont)
    return nullptr;
  try
  {
    if (!mCache)
      mCache = new GlyphCache;
    auto found = mCache->glyphs.find(codepoint);
    if (found != mCache->glyphs.end())
      return &found->second;
    Glyph g;
    lice::platform::GlyphImage image;
    if (lice::platform::renderGlyph(mFont, codepoint, image))
    {
      g.width = image.width;
      g.height = image.height;
      g.coverage.assign(image.coverage,
                        image.coverage + static_cast<size_t>(image.width) * image.height);
    }
    std::free(image.coverage);
    return &mCache->glyphs.emplace(codepoint, std::move(g)).first->second;
  }
  catch (const std::bad_alloc&)
  {
    return nullptr;
  }
}

int LICE_CachedFont::DrawTextA(LICE_IBitmap* bitmap, const char* text, int length, LICE_Rect* rect,
                               int format)
{
  if (!text || !rect)
    return 0;
  if (length < 0)
    length = static_cast<int>(std::strlen(text));
  const bool measure = (format & LICE_DT_CALCRECT) != 0;
  if (!bitmap && !measure)
    return 0;
  if (mFont && (mFlags & LICE_FONT_FORCE_NATIVE) && !(mFlags & kNativeBlockers) &&
      !(format & LICE_DT_USEFGALPHA) && lice::platform::nativeTextAvailable())
    return lice::platform::drawNativeText(mFont, bitmap, text, length, rect, format, mTextColor,
                                          mBkColor, mBkMode);
  if (!mFont || mLineHeight <= 0)
    return 0;

  // Lay the text out in lines of glyphs.
  struct Line
  {
    std::vector<const Glyph*> glyphs;
    int width = 0;
  };
  std::vector<Line> lines(1);
  try
  {
    for (unsigned int cp : decodeUtf8(text, length))
    {
      if (cp == '\r')
        continue;
      if (cp == '\n' && !(format & LICE_DT_SINGLELINE))
      {
        lines.emplace_back();
        continue;
      }
      const Glyph* g = glyph(cp);
      if (!g)
        return 0;
      lines.back().glyphs.push_back(g);
      lines.back().width += g->width;
    }
  }
  catch (const std::bad_alloc&)
  {
    return 0;
  }
  int width = 0;
  for (const Line& line : lines)
    width = std::max(width, line.width);
  const int height = static_cast<int>(lines.size()) * mLineHeight;
  if (measure)
  {
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return height;
  }

  lice::View view;
  if (!lice::viewOf(bitmap, view))
    return height;
  int clipL = 0, clipT = 0, clipR = view.width, clipB = view.height;
  if (!(format & LICE_DT_NOCLIP))
  {
    clipL = std::max(clipL, rect->left);
    clipT = std::max(clipT, rect->top);
    clipR = std::min(clipR, rect->right);
    clipB = std::min(clipB, rect->bottom);
  }
  int y = rect->top;
  if (format & LICE_DT_SINGLELINE)
  {
    if (format & LICE_DT_VCENTER)
      y = rect->top + (rect->bottom - rect->top - height) / 2;
    else if (format & LICE_DT_BOTTOM)
      y = rect->bottom - height;
  }
  int a = lice::weightOf(mCombineAlpha);
  if (format & LICE_DT_USEFGALPHA)
    a = a * LICE_GETA(mTextColor) / 255;
  for (const Line& line : lines)
  {
    int x = rect->left;
    if (format & LICE_DT_CENTER)
      x = rect->left + (rect->right - rect->left - line.width) / 2;
    else if (format & LICE_DT_RIGHT)
      x = rect->right - line.width;
    if (mBkMode == LICE_BKMODE_OPAQUE)
    {
      const int l = std::max(x, clipL), r = std::min(x + line.width, clipR);
      for (int row = std::max(y, clipT); row < std::min(y + mLineHeight, clipB); ++row)
        lice::fillSpan(view, l, r - 1, row, mBkColor, lice::weightOf(mCombineAlpha), mCombineMode);
    }
    for (const Glyph* g : line.glyphs)
    {
      for (int gy = 0; gy < g->height; ++gy)
      {
        const int py = y + gy;
        if (py < clipT || py >= clipB)
          continue;
        const unsigned char* cov = g->coverage.data() + static_cast<size_t>(gy) * g->width;
        for (int gx = 0; gx < g->width; ++gx)
        {
          const int px = x + gx;
          if (cov[gx] == 0 || px < clipL || px >= clipR)
            continue;
          lice::blendPixel(view, px, py, mTextColor, a * (cov[gx] + 1) / 256, mCombineMode);
        }
      }
      x += g->width;
    }
    y += mLineHeight;
  }
  return height;
}
