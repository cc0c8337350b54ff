// The drawing context's scale mapping and back buffer, and the drawing
// primitives controls draw with: each a thin mapping of the editor's
// records onto a raster operation into the back buffer. The pictures and
// fonts are in IDrawContextPictures.cpp.

#include "IDrawContext.h"

#include "IEditorScale.h"

#include <cmath>
#include <vector>

namespace
{
const double kPi = 3.141592653589793;
} // namespace

// ============================================================================
// Size, scale and the back buffer

IDrawContext::IDrawContext(int w, int h)
    : mWidth(w < 0 ? 0 : w), mHeight(h < 0 ? 0 : h), mLayoutWidth(mWidth), mLayoutHeight(mHeight)
{
}

IDrawContext::~IDrawContext()
{
  DeleteBitmaps();
  ReleasePictures();
}

void IDrawContext::DeleteBitmaps()
{
  delete mDrawBitmap;
  mDrawBitmap = nullptr;
  delete mTmpBitmap;
  mTmpBitmap = nullptr;
}

void IDrawContext::MakeBitmaps()
{
  DeleteBitmaps();
  mDrawBitmap = new LICE_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
}

LICE_pixel* IDrawContext::GetBits()
{
  return mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
}

void IDrawContext::SetLayoutSize(int w, int h)
{
  mLayoutWidth = w < 0 ? 0 : w;
  mLayoutHeight = h < 0 ? 0 : h;
  mWidth = ToPixels(mLayoutWidth);
  mHeight = ToPixels(mLayoutHeight);
}

void IDrawContext::SetScale(double scale)
{
  mScale = scale;
  SwapPictures();
  mWidth = ToPixels(mLayoutWidth);
  mHeight = ToPixels(mLayoutHeight);
  // Surfaces exist once the plug-in attached the context; before that the
  // attach makes them at the new size.
  if (mDrawBitmap)
  {
    MakeBitmaps();
  }
}

int IDrawContext::ToPixels(int v) const
{
  return mScale == 1.0 ? v : ScaledPixels(v, mScale);
}

IRECT IDrawContext::ToPixels(const IRECT& rect) const
{
  if (mScale == 1.0 || rect.Empty())
  {
    return rect;
  }
  const int l = ToPixels(rect.L), t = ToPixels(rect.T);
  return IRECT(l, t, l + ToPixels(rect.W()), t + ToPixels(rect.H()));
}

float IDrawContext::CentreToPixels(float v) const
{
  return mScale == 1.0 ? v : (v + 0.5f) * static_cast<float>(mScale) - 0.5f;
}

int IDrawContext::ToLayout(int px) const
{
  return mScale == 1.0 ? px : static_cast<int>(std::floor(px / mScale));
}

IText IDrawContext::ScaledText(const IText& text) const
{
  IText scaled = text;
  if (mScale != 1.0)
  {
    scaled.mSize = ToPixels(text.mSize);
    scaled.mCached = nullptr;
  }
  return scaled;
}

// ============================================================================
// Drawing primitives

void IDrawContext::BlitPixels(LICE_IBitmap* pixels, const IRECT& dest, int srcX, int srcY,
                              const IChannelBlend* blend)
{
  const IRECT r = dest.Intersect(mDrawRECT);
  if (r.W() <= 0 || r.H() <= 0)
  {
    return;
  }
  LICE_Blit(mDrawBitmap, pixels, r.L, r.T, srcX + r.L - dest.L, srcY + r.T - dest.T, r.W(), r.H(),
            LiceWeight(blend), LiceBlendMode(blend));
}

bool IDrawContext::DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int srcX, int srcY,
                              const IChannelBlend* blend)
{
  if (!bitmap || !dest)
  {
    return false;
  }
  LICE_IBitmap* pixels = PicturePixels(bitmap);
  if (mScale == 1.0 || bitmap->mId >= 0)
  {
    // Pixels at the scale: the source offset scales like the destination.
    BlitPixels(pixels, ToPixels(*dest), ToPixels(srcX), ToPixels(srcY), blend);
    return true;
  }
  // A 100 % bitmap at another scale: its layout rectangle enlarged onto the
  // destination's pixels, clipped to the region being drawn.
  const IRECT to = ToPixels(*dest);
  const IRECT r = to.Intersect(mDrawRECT);
  if (!pixels || r.W() <= 0 || r.H() <= 0)
  {
    return true;
  }
  const float perPixel = static_cast<float>(1.0 / mScale);
  LICE_ScaledBlit(mDrawBitmap, pixels, r.L, r.T, r.W(), r.H(),
                  srcX + (r.L - to.L) * static_cast<float>(dest->W()) / to.W(),
                  srcY + (r.T - to.T) * static_cast<float>(dest->H()) / to.H(), r.W() * perPixel,
                  r.H() * perPixel, LiceWeight(blend), LiceBlendMode(blend) | LICE_FLAG_BILINEAR);
  return true;
}

bool IDrawContext::DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int state,
                              const IChannelBlend* blend)
{
  if (!bitmap)
  {
    return false;
  }
  // A picture at the scale is cut into frames by its own pixels, which are
  // whole frames at every scale.
  LICE_IBitmap* pixels = PicturePixels(bitmap);
  const bool atScale = mScale != 1.0 && bitmap->mId >= 0;
  int srcX = 0, srcY = 0;
  if (bitmap->N > 1 && state > 1)
  {
    // A state beyond the frames shows the last one rather than whatever
    // lies below the picture.
    if (state > bitmap->N)
    {
      state = bitmap->N;
    }
    double extent = bitmap->mFramesAreHorizontal ? bitmap->W : bitmap->H;
    if (atScale && pixels)
    {
      extent = bitmap->mFramesAreHorizontal ? pixels->getWidth() : pixels->getHeight();
    }
    const int offset = static_cast<int>(0.5 + extent * (state - 1) / bitmap->N);
    (bitmap->mFramesAreHorizontal ? srcX : srcY) = offset;
  }
  if (atScale)
  {
    if (dest)
    {
      BlitPixels(pixels, ToPixels(*dest), srcX, srcY, blend);
    }
    return dest != nullptr;
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IDrawContext::DrawRotatedBitmap(const IBitmap* bitmap, int destCtrX, int destCtrY,
                                     double angle, int yOffsetZeroDeg, const IChannelBlend* blend)
{
  if (!bitmap)
  {
    return false;
  }
  LICE_IBitmap* pixels = PicturePixels(bitmap);
  // The picture's pixels fill its layout size at the scale; a 100 % bitmap
  // is enlarged by the rotation's own mapping.
  const int w = ToPixels(bitmap->W), h = ToPixels(bitmap->H);
  const bool atScale = mScale == 1.0 || bitmap->mId >= 0;
  const float srcW = static_cast<float>(atScale ? w : bitmap->W);
  const float srcH = static_cast<float>(atScale ? h : bitmap->H);
  LICE_RotatedBlit(mDrawBitmap, pixels, ToPixels(destCtrX) - w / 2, ToPixels(destCtrY) - h / 2, w,
                   h, 0.0f, 0.0f, srcW, srcH, static_cast<float>(angle), false, LiceWeight(blend),
                   LiceBlendMode(blend) | LICE_FLAG_BILINEAR, 0.0f,
                   static_cast<float>(atScale ? ToPixels(yOffsetZeroDeg) : yOffsetZeroDeg));
  return true;
}

bool IDrawContext::DrawRotatedMask(const IBitmap* base, const IBitmap* mask, const IBitmap* top,
                                   int x, int y, double angle, const IChannelBlend* blend)
{
  if (!base || !mask || !top)
  {
    return false;
  }
  LICE_IBitmap* basePixels = PicturePixels(base);
  // Without a base the scratch would still hold the previous knob.
  if (!basePixels)
  {
    return true;
  }
  const float a = static_cast<float>(angle * kPi / 180.0);
  if (!mTmpBitmap)
  {
    mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
  }
  // The knob is composed in the base's own pixels, which are at the scale
  // for a picture of the resources.
  LICE_Copy(mTmpBitmap, basePixels);
  const bool layoutSize = mScale == 1.0;
  const int w = layoutSize ? base->W : mTmpBitmap->getWidth();
  const int h = layoutSize ? base->H : mTmpBitmap->getHeight();
  const float xOffset = (w % 2) ? -0.5f : 0.0f;
  // The base keeps its colours but loses its alpha: the turned mask gives
  // the knob its outline and light.
  LICE_ClearRect(mTmpBitmap, 0, 0, w, h, 0xFFFFFF, 0);
  LICE_IBitmap* maskPixels = PicturePixels(mask);
  LICE_IBitmap* topPixels = PicturePixels(top);
  // At 100 % the three share the base's size; at a scale each is turned
  // from its own pixels onto the base's.
  const auto sourceW = [&](LICE_IBitmap* p)
  { return static_cast<float>(layoutSize || !p ? w : p->getWidth()); };
  const auto sourceH = [&](LICE_IBitmap* p)
  { return static_cast<float>(layoutSize || !p ? h : p->getHeight()); };
  LICE_RotatedBlit(mTmpBitmap, maskPixels, 0, 0, w, h, 0.0f, 0.0f, sourceW(maskPixels),
                   sourceH(maskPixels), a, true, 1.0f,
                   LICE_MODE_ADD | LICE_FLAG_BILINEAR | LICE_FLAG_USE_ALPHA, xOffset, 0.0f);
  LICE_RotatedBlit(mTmpBitmap, topPixels, 0, 0, w, h, 0.0f, 0.0f, sourceW(topPixels),
                   sourceH(topPixels), a, true, 1.0f,
                   LICE_MODE_COPY | LICE_FLAG_BILINEAR | LICE_FLAG_USE_ALPHA, xOffset, 0.0f);
  const IRECT to = ToPixels(IRECT(x, y, x + base->W, y + base->H));
  if (to.W() == w && to.H() == h)
  {
    BlitPixels(mTmpBitmap, to, 0, 0, blend);
    return true;
  }
  // A 100 % base at another scale: the composed knob enlarged.
  const IRECT r = to.Intersect(mDrawRECT);
  if (r.W() > 0 && r.H() > 0)
  {
    const float sx = static_cast<float>(w) / to.W(), sy = static_cast<float>(h) / to.H();
    LICE_ScaledBlit(mDrawBitmap, mTmpBitmap, r.L, r.T, r.W(), r.H(), (r.L - to.L) * sx,
                    (r.T - to.T) * sy, r.W() * sx, r.H() * sy, LiceWeight(blend),
                    LiceBlendMode(blend) | LICE_FLAG_BILINEAR);
  }
  return true;
}

bool IDrawContext::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend,
                             bool)
{
  if (!color)
  {
    return false;
  }
  LICE_PutPixel(mDrawBitmap, static_cast<int>(CentreToPixels(x) + 0.5f),
                static_cast<int>(CentreToPixels(y) + 0.5f), LiceColor(color), LiceWeight(blend),
                LiceBlendMode(blend));
  return true;
}

bool IDrawContext::ForcePixel(const IColor* color, int x, int y)
{
  if (!color || !mDrawBitmap)
  {
    return false;
  }
  // Every pixel of the layout unit.
  const IRECT r = ToPixels(IRECT(x, y, x + 1, y + 1));
  if (r.L < 0 || r.T < 0 || r.L >= mDrawBitmap->getWidth() || r.T >= mDrawBitmap->getHeight())
  {
    return false;
  }
  const LICE_pixel pixel = LiceColor(color);
  for (int py = r.T; py < r.B && py < mDrawBitmap->getHeight(); ++py)
  {
    LICE_pixel* row = mDrawBitmap->getBits() + static_cast<size_t>(py) * mDrawBitmap->getRowSpan();
    for (int px = r.L; px < r.R && px < mDrawBitmap->getWidth(); ++px)
    {
      row[px] = pixel;
    }
  }
  return true;
}

IColor IDrawContext::GetPoint(int x, int y)
{
  const LICE_pixel p = LICE_GetPixel(mDrawBitmap, ToPixels(x), ToPixels(y));
  return IColor(LICE_GETA(p), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p));
}

int IDrawContext::CentrePixel(int v) const
{
  return mScale == 1.0 ? v
                       : static_cast<int>(std::floor(CentreToPixels(static_cast<float>(v)) + 0.5f));
}

bool IDrawContext::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                            const IChannelBlend* blend, bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_Line(mDrawBitmap, static_cast<int>(CentreToPixels(x1)), static_cast<int>(CentreToPixels(y1)),
            static_cast<int>(CentreToPixels(x2)), static_cast<int>(CentreToPixels(y2)),
            LiceColor(color), LiceWeight(blend), LiceBlendMode(blend), antiAlias);
  return true;
}

bool IDrawContext::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                                  float rMax, const IChannelBlend* blend, bool antiAlias)
{
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(color, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, blend,
                  antiAlias);
}

bool IDrawContext::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                           float maxAngle, const IChannelBlend* blend, bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_Arc(mDrawBitmap, CentreToPixels(cx), CentreToPixels(cy), r * static_cast<float>(mScale),
           minAngle, maxAngle, LiceColor(color), LiceWeight(blend), LiceBlendMode(blend),
           antiAlias);
  return true;
}

bool IDrawContext::DrawCircle(const IColor* color, float cx, float cy, float r,
                              const IChannelBlend* blend, bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_Circle(mDrawBitmap, CentreToPixels(cx), CentreToPixels(cy), r * static_cast<float>(mScale),
              LiceColor(color), LiceWeight(blend), LiceBlendMode(blend), antiAlias);
  return true;
}

bool IDrawContext::FillCircle(const IColor* color, int cx, int cy, float r,
                              const IChannelBlend* blend, bool antiAlias)
{
  if (!color)
  {
    return false;
  }
  LICE_FillCircle(mDrawBitmap, CentreToPixels(static_cast<float>(cx)),
                  CentreToPixels(static_cast<float>(cy)), r * static_cast<float>(mScale),
                  LiceColor(color), LiceWeight(blend), LiceBlendMode(blend), antiAlias);
  return true;
}

bool IDrawContext::RoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                             int cornerRadius, bool antiAlias)
{
  if (!color || !rect)
  {
    return false;
  }
  const IRECT p = ToPixels(*rect);
  LICE_RoundRect(mDrawBitmap, static_cast<float>(p.L), static_cast<float>(p.T),
                 static_cast<float>(p.W()), static_cast<float>(p.H()), ToPixels(cornerRadius),
                 LiceColor(color), LiceWeight(blend), LiceBlendMode(blend), antiAlias);
  return true;
}

bool IDrawContext::FillRoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                                 int cornerRadius, bool antiAlias)
{
  if (!color || !rect)
  {
    return false;
  }
  const IRECT p = ToPixels(*rect);
  const int x = p.L, y = p.T, w = p.W(), h = p.H(), cr = ToPixels(cornerRadius);
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

bool IDrawContext::FillIRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend)
{
  if (!color || !rect)
  {
    return false;
  }
  const IRECT p = ToPixels(*rect);
  LICE_FillRect(mDrawBitmap, p.L, p.T, p.W(), p.H(), LiceColor(color), LiceWeight(blend),
                LiceBlendMode(blend));
  return true;
}

bool IDrawContext::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                                const IChannelBlend* blend)
{
  if (!color)
  {
    return false;
  }
  LICE_FillTriangle(mDrawBitmap, CentrePixel(x1), CentrePixel(y1), CentrePixel(x2), CentrePixel(y2),
                    CentrePixel(x3), CentrePixel(y3), LiceColor(color), LiceWeight(blend),
                    LiceBlendMode(blend));
  return true;
}

bool IDrawContext::FillIConvexPolygon(const IColor* color, const int* x, const int* y, int npoints,
                                      const IChannelBlend* blend)
{
  if (!color || !x || !y || npoints < 1)
  {
    return false;
  }
  if (mScale == 1.0)
  {
    LICE_FillConvexPolygon(mDrawBitmap, x, y, npoints, LiceColor(color), LiceWeight(blend),
                           LiceBlendMode(blend));
    return true;
  }
  std::vector<int> px(static_cast<size_t>(npoints)), py(static_cast<size_t>(npoints));
  for (int i = 0; i < npoints; ++i)
  {
    px[static_cast<size_t>(i)] = CentrePixel(x[i]);
    py[static_cast<size_t>(i)] = CentrePixel(y[i]);
  }
  LICE_FillConvexPolygon(mDrawBitmap, px.data(), py.data(), npoints, LiceColor(color),
                         LiceWeight(blend), LiceBlendMode(blend));
  return true;
}

bool IDrawContext::DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi)
{
  if (!color)
  {
    return false;
  }
  LICE_Line(mDrawBitmap, CentrePixel(xi), CentrePixel(yLo), CentrePixel(xi), CentrePixel(yHi),
            LiceColor(color), 1.0f, LICE_MODE_COPY, false);
  return true;
}

bool IDrawContext::DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi)
{
  if (!color)
  {
    return false;
  }
  LICE_Line(mDrawBitmap, CentrePixel(xLo), CentrePixel(yi), CentrePixel(xHi), CentrePixel(yi),
            LiceColor(color), 1.0f, LICE_MODE_COPY, false);
  return true;
}

bool IDrawContext::DrawRect(const IColor* color, const IRECT* rect)
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

bool IDrawContext::DrawVerticalLine(const IColor* color, const IRECT* rect, float x)
{
  if (!rect)
  {
    return false;
  }
  x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
  return DrawVerticalLine(color, rect->L + static_cast<int>((rect->R - rect->L) * x), rect->T,
                          rect->B);
}

bool IDrawContext::DrawHorizontalLine(const IColor* color, const IRECT* rect, float y)
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

bool IDrawContext::MeasureIText(IText* text, const char* str, IRECT* rect)
{
  return DrawIText(text, str, rect, true);
}

bool IDrawContext::DrawIText(IText* text, const char* str, IRECT* rect, bool measure)
{
  if (!str || !str[0])
  {
    return true;
  }
  if (!text || !rect)
  {
    return false;
  }
  // At a scale the font is the style's height times the scale; the style
  // keeps its 100 % font in mCached.
  IText scaled;
  IText* style = text;
  if (mScale != 1.0)
  {
    scaled = ScaledText(*text);
    style = &scaled;
  }
  LICE_IFont* font = style->mCached ? style->mCached : CacheFont(style);
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
    int w = extent.right - extent.left, h = extent.bottom - extent.top;
    if (mScale != 1.0)
    {
      // In layout units, rounded up so that the extent covers the text.
      w = static_cast<int>(std::ceil(w / mScale));
      h = static_cast<int>(std::ceil(h / mScale));
    }
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

  const IRECT p = ToPixels(*rect);
  LICE_Rect r = {p.L, p.T, p.R, p.B};
  font->DrawTextA(mDrawBitmap, str, -1, &r, format);
  return true;
}
