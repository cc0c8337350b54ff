#include "Paint.h"

#include "IEditorScale.h"

#include <algorithm>
#include <cmath>

namespace paint
{
LICE_pixel mix(LICE_pixel a, LICE_pixel b, double t)
{
  auto lerp = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
  return LICE_RGBA(lerp(LICE_GETR(a), LICE_GETR(b)), lerp(LICE_GETG(a), LICE_GETG(b)),
                   lerp(LICE_GETB(a), LICE_GETB(b)), lerp(LICE_GETA(a), LICE_GETA(b)));
}

LICE_pixel withAlpha(LICE_pixel c, int alpha)
{
  return (c & 0x00FFFFFF) | (static_cast<LICE_pixel>(alpha & 255) << 24);
}

void shaded(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel top, LICE_pixel bottom,
            const std::function<void(LICE_IBitmap* mask)>& shape)
{
  if (w <= 0 || h <= 0)
    return;
  LICE_MemBitmap mask(w, h, 1), layer(w, h, 1);
  LICE_Clear(&mask, 0);
  shape(&mask);
  for (int j = 0; j < h; ++j)
  {
    const LICE_pixel c = mix(top, bottom, h > 1 ? static_cast<double>(j) / (h - 1) : 0.0);
    for (int i = 0; i < w; ++i)
    {
      const int cover = LICE_GETA(LICE_GetPixel(&mask, i, j));
      layer.getBits()[j * layer.getRowSpan() + i] = withAlpha(c, cover * LICE_GETA(c) / 255);
    }
  }
  LICE_Blit(dest, &layer, x, y, 0, 0, w, h, 1.0f, LICE_MODE_COPY | LICE_FLAG_USE_ALPHA);
}

void disc(LICE_IBitmap* dest, double cx, double cy, double r, LICE_pixel top, LICE_pixel bottom)
{
  const int x = static_cast<int>(std::floor(cx - r - 1)),
            y = static_cast<int>(std::floor(cy - r - 1));
  const int size = static_cast<int>(std::ceil(2 * r + 3));
  shaded(dest, x, y, size, size, top, bottom,
         [&](LICE_IBitmap* mask)
         {
           LICE_FillCircle(mask, static_cast<float>(cx - x), static_cast<float>(cy - y),
                           static_cast<float>(r), 0xFFFFFFFF, 1.0f, LICE_MODE_COPY, true);
         });
}

void roundRectFill(LICE_IBitmap* dest, int x, int y, int w, int h, int radius, LICE_pixel color)
{
  const int r = std::max(0, std::min({radius, w / 2, h / 2}));
  LICE_FillRect(dest, x + r, y, w - 2 * r, h, color, 1.0f, LICE_MODE_COPY);
  LICE_FillRect(dest, x, y + r, w, h - 2 * r, color, 1.0f, LICE_MODE_COPY);
  if (r == 0)
    return;
  // Discs tangent to the outer edges fill the corners.
  const float fr = static_cast<float>(r);
  const float l = x + fr - 0.5f, t = y + fr - 0.5f, rt = x + w - fr - 0.5f, b = y + h - fr - 0.5f;
  for (float cx : {l, rt})
    for (float cy : {t, b})
      LICE_FillCircle(dest, cx, cy, fr, color, 1.0f, LICE_MODE_COPY, true);
}

void plate(LICE_IBitmap* dest, int x, int y, int w, int h, int radius, LICE_pixel top,
           LICE_pixel bottom)
{
  shaded(dest, x, y, w, h, top, bottom,
         [&](LICE_IBitmap* mask) { roundRectFill(mask, 0, 0, w, h, radius, 0xFFFFFFFF); });
}

void stroke(LICE_IBitmap* dest, double x1, double y1, double x2, double y2, double width,
            LICE_pixel color)
{
  const double len = std::hypot(x2 - x1, y2 - y1);
  const int steps = std::max(1, static_cast<int>(len * 4));
  const int x = static_cast<int>(std::floor(std::min(x1, x2) - width - 1));
  const int y = static_cast<int>(std::floor(std::min(y1, y2) - width - 1));
  const int w = static_cast<int>(std::ceil(std::fabs(x2 - x1) + 2 * width + 3));
  const int h = static_cast<int>(std::ceil(std::fabs(y2 - y1) + 2 * width + 3));
  shaded(dest, x, y, w, h, color, color,
         [&](LICE_IBitmap* mask)
         {
           // Discs along the stroke; the mask keeps the largest coverage.
           LICE_MemBitmap dot(w, h, 1);
           for (int i = 0; i <= steps; ++i)
           {
             const double t = static_cast<double>(i) / steps;
             LICE_Clear(&dot, 0);
             LICE_FillCircle(&dot, static_cast<float>(x1 + (x2 - x1) * t - x),
                             static_cast<float>(y1 + (y2 - y1) * t - y),
                             static_cast<float>(width / 2), 0xFFFFFFFF, 1.0f, LICE_MODE_COPY, true);
             for (int j = 0; j < h; ++j)
               for (int k = 0; k < w; ++k)
               {
                 const LICE_pixel p = LICE_GetPixel(&dot, k, j);
                 if (LICE_GETA(p) > LICE_GETA(LICE_GetPixel(mask, k, j)))
                   LICE_PutPixel(mask, k, j, p, 1.0f, LICE_MODE_COPY);
               }
           }
         });
}

void arcBand(LICE_IBitmap* dest, double cx, double cy, double r, double th, double from, double to,
             LICE_pixel color)
{
  const int x = static_cast<int>(std::floor(cx - r - th - 2));
  const int y = static_cast<int>(std::floor(cy - r - th - 2));
  const int size = static_cast<int>(std::ceil(2 * (r + th) + 5));
  shaded(dest, x, y, size, size, color, color,
         [&](LICE_IBitmap* mask)
         {
           // Anti-aliased band: coverage from the distance to the ring's middle
           // radius, cut at the two angles with a soft one-pixel edge.
           for (int j = 0; j < size; ++j)
             for (int i = 0; i < size; ++i)
             {
               const double dx = x + i - cx, dy = y + j - cy;
               const double d = std::hypot(dx, dy);
               double cover = std::min(1.0, std::max(0.0, th / 2 + 0.5 - std::fabs(d - r)));
               const double a = std::atan2(dx, -dy);
               const double px = d > 0 ? 1.0 / d : 1.0; // one pixel as an angle here
               const double inside = std::min(a - from, to - a) / px + 0.5;
               cover *= std::min(1.0, std::max(0.0, inside));
               if (cover > 0)
                 LICE_PutPixel(mask, i, j, 0xFFFFFFFF, static_cast<float>(cover), LICE_MODE_COPY);
             }
         });
}

void glow(LICE_IBitmap* dest, double cx, double cy, double r0, double r1, LICE_pixel color,
          int peakAlpha)
{
  const int x = static_cast<int>(std::floor(cx - r1 - 1)),
            y = static_cast<int>(std::floor(cy - r1 - 1));
  const int size = static_cast<int>(std::ceil(2 * r1 + 3));
  LICE_MemBitmap layer(size, size, 1);
  for (int j = 0; j < size; ++j)
    for (int i = 0; i < size; ++i)
    {
      const double d = std::hypot(x + i - cx, y + j - cy);
      double t = d <= r0 ? 1.0 : (d >= r1 ? 0.0 : 1.0 - (d - r0) / (r1 - r0));
      t = t * t;
      layer.getBits()[j * layer.getRowSpan() + i] =
          withAlpha(color, static_cast<int>(peakAlpha * t + 0.5));
    }
  LICE_Blit(dest, &layer, x, y, 0, 0, size, size, 1.0f, LICE_MODE_COPY | LICE_FLAG_USE_ALPHA);
}

void ring(LICE_IBitmap* dest, double cx, double cy, double r, double thickness, LICE_pixel color,
          float alpha)
{
  const double reach = r + thickness / 2 + 1;
  const int x0 = static_cast<int>(std::floor(cx - reach)),
            y0 = static_cast<int>(std::floor(cy - reach));
  const int x1 = static_cast<int>(std::ceil(cx + reach)),
            y1 = static_cast<int>(std::ceil(cy + reach));
  for (int j = y0; j <= y1; ++j)
    for (int i = x0; i <= x1; ++i)
    {
      const double d = std::hypot(i - cx, j - cy);
      const double cover = std::min(1.0, std::max(0.0, thickness / 2 + 0.5 - std::fabs(d - r)));
      if (cover > 0)
        LICE_PutPixel(dest, i, j, color, static_cast<float>(cover) * alpha, LICE_MODE_COPY);
    }
}

int Canvas::pixels(int n) const
{
  return ScaledPixels(n, mScale);
}

int Canvas::edgeX(double v) const
{
  return atLayoutSize() ? static_cast<int>(v) : static_cast<int>(std::floor(v * mScale + 0.5));
}

int Canvas::edgeY(double v) const
{
  return atLayoutSize() ? static_cast<int>(v)
                        : mPixelTop + static_cast<int>(std::floor((v - mTop) * mScale + 0.5));
}

void disc(Canvas& c, double cx, double cy, double r, LICE_pixel top, LICE_pixel bottom)
{
  disc(c.bitmap(), c.x(cx), c.y(cy), c.len(r), top, bottom);
}

void plate(Canvas& c, int x, int y, int w, int h, int radius, LICE_pixel top, LICE_pixel bottom)
{
  if (c.atLayoutSize())
  {
    plate(c.bitmap(), x, y, w, h, radius, top, bottom);
    return;
  }
  const int l = c.edgeX(x), t = c.edgeY(y);
  plate(c.bitmap(), l, t, c.edgeX(x + w) - l, c.edgeY(y + h) - t,
        static_cast<int>(std::floor(radius * c.scale() + 0.5)), top, bottom);
}

void shaded(Canvas& c, int x, int y, int w, int h, LICE_pixel top, LICE_pixel bottom,
            const std::function<void(LICE_IBitmap* mask)>& shape)
{
  if (c.atLayoutSize())
  {
    shaded(c.bitmap(), x, y, w, h, top, bottom, shape);
    return;
  }
  const int l = c.edgeX(x), t = c.edgeY(y);
  shaded(c.bitmap(), l, t, c.edgeX(x + w) - l, c.edgeY(y + h) - t, top, bottom, shape);
}

void stroke(Canvas& c, double x1, double y1, double x2, double y2, double width, LICE_pixel color)
{
  stroke(c.bitmap(), c.x(x1), c.y(y1), c.x(x2), c.y(y2), c.len(width), color);
}

void arcBand(Canvas& c, double cx, double cy, double r, double th, double from, double to,
             LICE_pixel color)
{
  arcBand(c.bitmap(), c.x(cx), c.y(cy), c.len(r), c.len(th), from, to, color);
}

void glow(Canvas& c, double cx, double cy, double r0, double r1, LICE_pixel color, int peakAlpha)
{
  glow(c.bitmap(), c.x(cx), c.y(cy), c.len(r0), c.len(r1), color, peakAlpha);
}

void circle(Canvas& c, double cx, double cy, double r, LICE_pixel color, float alpha)
{
  if (c.atLayoutSize())
  {
    LICE_Circle(c.bitmap(), static_cast<float>(cx), static_cast<float>(cy), static_cast<float>(r),
                color, alpha, LICE_MODE_COPY, true);
    return;
  }
  ring(c.bitmap(), c.x(cx), c.y(cy), c.len(r), c.len(1.0), color, alpha);
}

void line(Canvas& c, int x1, int y1, int x2, int y2, LICE_pixel color, float alpha)
{
  if (c.atLayoutSize())
  {
    LICE_Line(c.bitmap(), x1, y1, x2, y2, color, alpha, LICE_MODE_COPY, false);
    return;
  }
  if (x1 != x2 && y1 != y2)
  {
    stroke(c, x1, y1, x2, y2, 1.0, withAlpha(color, static_cast<int>(LICE_GETA(color) * alpha)));
    return;
  }
  // The unit-wide pixels from one end to the other, both included.
  fillRect(c, std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1,
           color, alpha);
}

void fillRect(Canvas& c, double x, double y, double w, double h, LICE_pixel color, float alpha)
{
  if (c.atLayoutSize())
  {
    LICE_FillRect(c.bitmap(), static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                  static_cast<int>(h), color, alpha, LICE_MODE_COPY);
    return;
  }
  const int l = c.edgeX(x), t = c.edgeY(y);
  LICE_FillRect(c.bitmap(), l, t, c.edgeX(x + w) - l, c.edgeY(y + h) - t, color, alpha,
                LICE_MODE_COPY);
}
} // namespace paint
