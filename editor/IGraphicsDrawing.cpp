// The drawing primitives controls draw with: each a thin mapping of the
// editor's records onto a raster operation into the back buffer.

#include "IGraphics.h"

#include <cmath>

namespace
{
const double kPi = 3.141592653589793;
} // namespace

// ============================================================================
// Drawing primitives

bool IGraphics::DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend)
{
  if (!bitmap || !dest)
  {
    return false;
  }
  const IRECT r = dest->Intersect(mDrawRECT);
  if (r.W() <= 0 || r.H() <= 0)
  {
    return true;
  }
  LICE_Blit(mDrawBitmap, bitmap->mData, r.L, r.T, srcX + r.L - dest->L, srcY + r.T - dest->T, r.W(),
            r.H(), LiceWeight(blend), LiceBlendMode(blend));
  return true;
}

bool IGraphics::DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int state,
                           const IChannelBlend* blend)
{
  if (!bitmap)
  {
    return false;
  }
  int srcX = 0, srcY = 0;
  if (bitmap->N > 1 && state > 1)
  {
    // A state beyond the frames shows the last one rather than whatever
    // lies below the picture.
    if (state > bitmap->N)
    {
      state = bitmap->N;
    }
    const double extent = bitmap->mFramesAreHorizontal ? bitmap->W : bitmap->H;
    const int offset = static_cast<int>(0.5 + extent * (state - 1) / bitmap->N);
    (bitmap->mFramesAreHorizontal ? srcX : srcY) = offset;
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(const IBitmap* bitmap, int destCtrX, int destCtrY, double angle,
                                  int yOffsetZeroDeg, const IChannelBlend* blend)
{
  if (!bitmap)
  {
    return false;
  }
  const int w = bitmap->W, h = bitmap->H;
  LICE_RotatedBlit(mDrawBitmap, bitmap->mData, destCtrX - w / 2, destCtrY - h / 2, w, h, 0.0f, 0.0f,
                   static_cast<float>(w), static_cast<float>(h), static_cast<float>(angle), false,
                   LiceWeight(blend), LiceBlendMode(blend) | LICE_FLAG_BILINEAR, 0.0f,
                   static_cast<float>(yOffsetZeroDeg));
  return true;
}

bool IGraphics::DrawRotatedMask(const IBitmap* base, const IBitmap* mask, const IBitmap* top, int x,
                                int y, double angle, const IChannelBlend* blend)
{
  if (!base || !mask || !top)
  {
    return false;
  }
  // Without a base the scratch would still hold the previous knob.
  if (!base->mData)
  {
    return true;
  }
  const float a = static_cast<float>(angle * kPi / 180.0);
  const int w = base->W, h = base->H;
  const float xOffset = (w % 2) ? -0.5f : 0.0f;
  if (!mTmpBitmap)
  {
    mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
  }
  LICE_Copy(mTmpBitmap, base->mData);
  // The base keeps its colours but loses its alpha: the turned mask gives
  // the knob its outline and light.
  LICE_ClearRect(mTmpBitmap, 0, 0, w, h, 0xFFFFFF, 0);
  LICE_RotatedBlit(mTmpBitmap, mask->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w),
                   static_cast<float>(h), a, true, 1.0f,
                   LICE_MODE_ADD | LICE_FLAG_BILINEAR | LICE_FLAG_USE_ALPHA, xOffset, 0.0f);
  LICE_RotatedBlit(mTmpBitmap, top->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w),
                   static_cast<float>(h), a, true, 1.0f,
                   LICE_MODE_COPY | LICE_FLAG_BILINEAR | LICE_FLAG_USE_ALPHA, xOffset, 0.0f);
  const IRECT r = IRECT(x, y, x + w, y + h).Intersect(mDrawRECT);
  if (r.W() > 0 && r.H() > 0)
  {
    LICE_Blit(mDrawBitmap, mTmpBitmap, r.L, r.T, r.L - x, r.T - y, r.W(), r.H(), LiceWeight(blend),
              LiceBlendMode(blend));
  }
  return true;
}

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool)
{
  if (!color)
  {
    return false;
  }
  LICE_PutPixel(mDrawBitmap, static_cast<int>(x + 0.5f), static_cast<int>(y + 0.5f),
                LiceColor(color), LiceWeight(blend), LiceBlendMode(blend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  if (!color || !mDrawBitmap || x < 0 || y < 0 || x >= mDrawBitmap->getWidth() ||
      y >= mDrawBitmap->getHeight())
  {
    return false;
  }
  LICE_pixel* row = mDrawBitmap->getBits() + static_cast<size_t>(y) * mDrawBitmap->getRowSpan();
  row[x] = LiceColor(color);
  return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
  const LICE_pixel p = LICE_GetPixel(mDrawBitmap, x, y);
  return IColor(LICE_GETA(p), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p));
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_Line(mDrawBitmap, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
            static_cast<int>(y2), LiceColor(color), LiceWeight(blend), LiceBlendMode(blend),
            antiAlias);
  return true;
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                               float rMax, const IChannelBlend* blend, bool antiAlias)
{
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(color, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, blend,
                  antiAlias);
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* blend, bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, LiceColor(color), LiceWeight(blend),
           LiceBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r,
                           const IChannelBlend* blend, bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_Circle(mDrawBitmap, cx, cy, r, LiceColor(color), LiceWeight(blend), LiceBlendMode(blend),
              antiAlias);
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_FillCircle(mDrawBitmap, static_cast<float>(cx), static_cast<float>(cy), r, LiceColor(color),
                  LiceWeight(blend), LiceBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                          int cornerRadius, bool antiAlias)
{
  if (!color || !rect)
  {
    return false;
  }
  LICE_RoundRect(mDrawBitmap, static_cast<float>(rect->L), static_cast<float>(rect->T),
                 static_cast<float>(rect->W()), static_cast<float>(rect->H()), cornerRadius,
                 LiceColor(color), LiceWeight(blend), LiceBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                              int cornerRadius, bool antiAlias)
{
  if (!color || !rect)
  {
    return false;
  }
  const int x = rect->L, y = rect->T, w = rect->W(), h = rect->H(), cr = cornerRadius;
  const LICE_pixel pixel = LiceColor(color);
  const float weight = LiceWeight(blend);
  const int mode = LiceBlendMode(blend);
  LICE_FillRect(mDrawBitmap, x + cr, y, w - 2 * cr, h, pixel, weight, mode);
  LICE_FillRect(mDrawBitmap, x, y + cr, cr, h - 2 * cr, pixel, weight, mode);
  LICE_FillRect(mDrawBitmap, x + w - cr, y + cr, cr, h - 2 * cr, pixel, weight, mode);
  const float r = static_cast<float>(cr);
  LICE_FillCircle(mDrawBitmap, static_cast<float>(x + cr), static_cast<float>(y + cr), r, pixel,
                  weight, mode, antiAlias);
  LICE_FillCircle(mDrawBitmap, static_cast<float>(x + w - cr - 1),
                  static_cast<float>(y + h - cr - 1), r, pixel, weight, mode, antiAlias);
  LICE_FillCircle(mDrawBitmap, static_cast<float>(x + w - cr - 1), static_cast<float>(y + cr), r,
                  pixel, weight, mode, antiAlias);
  LICE_FillCircle(mDrawBitmap, static_cast<float>(x + cr), static_cast<float>(y + h - cr - 1), r,
                  pixel, weight, mode, antiAlias);
  return true;
}

bool IGraphics::FillIRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend)
{
  if (!color || !rect)
  {
    return false;
  }
  LICE_FillRect(mDrawBitmap, rect->L, rect->T, rect->W(), rect->H(), LiceColor(color),
                LiceWeight(blend), LiceBlendMode(blend));
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend)
{
  if (!color)
  {
    return false;
  }
  LICE_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, LiceColor(color), LiceWeight(blend),
                    LiceBlendMode(blend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, const int* x, const int* y, int npoints,
                                   const IChannelBlend* blend)
{
  if (!color || !x || !y || npoints < 1)
  {
    return false;
  }
  LICE_FillConvexPolygon(mDrawBitmap, x, y, npoints, LiceColor(color), LiceWeight(blend),
                         LiceBlendMode(blend));
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi)
{
  if (!color)
  {
    return false;
  }
  LICE_Line(mDrawBitmap, xi, yLo, xi, yHi, LiceColor(color), 1.0f, LICE_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi)
{
  if (!color)
  {
    return false;
  }
  LICE_Line(mDrawBitmap, xLo, yi, xHi, yi, LiceColor(color), 1.0f, LICE_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawRect(const IColor* color, const IRECT* rect)
{
  if (!color || !rect)
  {
    return false;
  }
  DrawHorizontalLine(color, rect->T, rect->L, rect->R);
  DrawHorizontalLine(color, rect->B, rect->L, rect->R);
  DrawVerticalLine(color, rect->L, rect->T, rect->B);
  DrawVerticalLine(color, rect->R, rect->T, rect->B);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, const IRECT* rect, float x)
{
  if (!rect)
  {
    return false;
  }
  x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
  return DrawVerticalLine(color, rect->L + static_cast<int>((rect->R - rect->L) * x), rect->T,
                          rect->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, const IRECT* rect, float y)
{
  if (!rect)
  {
    return false;
  }
  y = y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y);
  return DrawHorizontalLine(color, rect->B - static_cast<int>((rect->B - rect->T) * y), rect->L,
                            rect->R);
}

// ============================================================================
// Text

bool IGraphics::MeasureIText(IText* text, const char* str, IRECT* rect)
{
  return DrawIText(text, str, rect, true);
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* rect, bool measure)
{
  if (!str || !str[0])
  {
    return true;
  }
  if (!text || !rect)
  {
    return false;
  }
  LICE_IFont* font = text->mCached ? text->mCached : CacheFont(text);
  if (!font)
  {
    return false;
  }
  font->SetTextColor(LiceColor(&text->mColor));
  int format = LICE_DT_NOCLIP;
  if (text->mColor.A < 255)
  {
    format |= LICE_DT_USEFGALPHA;
  }
  if (text->mAlign == IText::kAlignCenter)
  {
    format |= LICE_DT_CENTER;
  }
  else if (text->mAlign == IText::kAlignFar)
  {
    format |= LICE_DT_RIGHT;
  }

  if (measure)
  {
    LICE_Rect extent = {0, 0, 0, 0};
    font->DrawTextA(mDrawBitmap, str, -1, &extent, format | LICE_DT_CALCRECT);
    const int w = extent.right - extent.left, h = extent.bottom - extent.top;
    switch (text->mAlign)
    {
    case IText::kAlignNear:
      rect->R = rect->L + w;
      break;
    case IText::kAlignCenter:
      rect->L = static_cast<int>(rect->MW()) - w / 2;
      rect->R = rect->L + w;
      break;
    case IText::kAlignFar:
      rect->L = rect->R - w;
      rect->R = rect->L + w;
      break;
    }
    rect->B = rect->T + h;
    return true;
  }

  LICE_Rect r = {rect->L, rect->T, rect->R, rect->B};
  font->DrawTextA(mDrawBitmap, str, -1, &r, format);
  return true;
}
