#include "lice_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

using lice::Block;
using lice::View;

namespace lice
{
bool clipBlock(Block& b, int dw, int dh, int sw, int sh)
{
  int64_t dx = b.dx, dy = b.dy, sx = b.sx, sy = b.sy, w = b.w, h = b.h;
  if (w <= 0 || h <= 0)
    return false;
  const int64_t cutX = std::max<int64_t>({0, -dx, -sx});
  const int64_t cutY = std::max<int64_t>({0, -dy, -sy});
  dx += cutX;
  sx += cutX;
  w -= cutX;
  dy += cutY;
  sy += cutY;
  h -= cutY;
  w = std::min<int64_t>({w, dw - dx, sw - sx});
  h = std::min<int64_t>({h, dh - dy, sh - sy});
  if (w <= 0 || h <= 0)
    return false;
  b = Block{static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(sx),
            static_cast<int>(sy), static_cast<int>(w),  static_cast<int>(h)};
  return true;
}

int weightOf(float alpha)
{
  if (!(alpha > 0.0f))
    return 0;
  if (alpha >= 1.0f)
    return 256;
  return static_cast<int>(alpha * 256.0f);
}

namespace
{
const LICE_pixel kHalf = 0x7F7F7F7F, kQuarter = 0x3F3F3F3F;

struct SolidRun
{
  LICE_pixel* d;
  int n;
  LICE_pixel color;
  int a;
  template <class C> void run()
  {
    for (int i = 0; i < n; ++i)
      C::apply(d[i], color, a);
  }
};
} // namespace

void solidSpan(LICE_pixel* d, int n, LICE_pixel color, int a, int mode)
{
  if ((mode & LICE_BLIT_MODE_MASK) == LICE_MODE_COPY)
  {
    switch (a)
    {
    case 256:
      std::fill(d, d + n, color);
      return;
    case 128:
    {
      const LICE_pixel c = (color >> 1) & kHalf;
      for (int i = 0; i < n; ++i)
        d[i] = ((d[i] >> 1) & kHalf) + c;
      return;
    }
    case 64:
    {
      const LICE_pixel c = (color >> 2) & kQuarter;
      for (int i = 0; i < n; ++i)
        d[i] = ((d[i] >> 1) & kHalf) + ((d[i] >> 2) & kQuarter) + c;
      return;
    }
    case 192:
    {
      const LICE_pixel c = ((color >> 1) & kHalf) + ((color >> 2) & kQuarter);
      for (int i = 0; i < n; ++i)
        d[i] = ((d[i] >> 2) & kQuarter) + c;
      return;
    }
    default:
      break;
    }
  }
  SolidRun r{d, n, color, a};
  dispatchCombiner(mode, false, r);
}

void blendPixel(const View& v, int x, int y, LICE_pixel color, int a, int mode)
{
  if (a <= 0 || x < 0 || y < 0 || x >= v.width || y >= v.height)
    return;
  solidSpan(v.row(y) + x, 1, color, a > 256 ? 256 : a, mode);
}

void fillSpan(const View& v, int x0, int x1, int y, LICE_pixel color, int a, int mode)
{
  if (x1 < x0 || a <= 0)
    return;
  const int64_t w = static_cast<int64_t>(x1) - x0 + 1;
  Block b{x0, y, 0, 0, static_cast<int>(std::min<int64_t>(w, INT32_MAX)), 1};
  if (!clipBlock(b, v.width, v.height, b.w, 1))
    return;
  solidSpan(v.row(b.dy) + b.dx, b.w, color, a, mode);
}

LICE_pixel hsvAdjust(LICE_pixel d, LICE_pixel s)
{
  const float r = chan(d, 16) / 255.0f, g = chan(d, 8) / 255.0f, b = chan(d, 0) / 255.0f;
  const float mx = std::max({r, g, b}), mn = std::min({r, g, b}), delta = mx - mn;
  float hue = 0.0f;
  if (delta > 0.0f)
  {
    if (mx == r)
      hue = std::fmod((g - b) / delta + 6.0f, 6.0f);
    else if (mx == g)
      hue = (b - r) / delta + 2.0f;
    else
      hue = (r - g) / delta + 4.0f;
  }
  float sat = mx > 0.0f ? delta / mx : 0.0f, val = mx;
  hue = std::fmod(hue + (chan(s, 16) - 128) * 6.0f / 256.0f + 12.0f, 6.0f);
  sat = std::min(1.0f, sat * chan(s, 8) / 128.0f);
  val = std::min(1.0f, val * chan(s, 0) / 128.0f);
  const int sector = static_cast<int>(hue) % 6;
  const float f = hue - std::floor(hue);
  const float p = val * (1 - sat), q = val * (1 - sat * f), t = val * (1 - sat * (1 - f));
  float rgb[6][3] = {{val, t, p}, {q, val, p}, {p, val, t}, {p, q, val}, {t, p, val}, {val, p, q}};
  const float* o = rgb[sector];
  return pack(static_cast<int>(o[2] * 255.0f + 0.5f), static_cast<int>(o[1] * 255.0f + 0.5f),
              static_cast<int>(o[0] * 255.0f + 0.5f), chan(d, 24));
}
} // namespace lice

namespace
{
using lice::chan;

// The rows of a clipped block, one combiner, no mode switch inside.
struct BlockRun
{
  const View& dv;
  const View& sv;
  const Block& b;
  int a;
  template <class C> void run()
  {
    for (int y = 0; y < b.h; ++y)
    {
      LICE_pixel* d = dv.row(b.dy + y) + b.dx;
      const LICE_pixel* s = sv.row(b.sy + y) + b.sx;
      for (int x = 0; x < b.w; ++x)
        C::apply(d[x], s[x], a);
    }
  }
};

void blitClipped(const View& dv, const View& sv, const Block& b, int a, int mode)
{
  const bool useAlpha = (mode & LICE_FLAG_USE_ALPHA) != 0;
  if ((mode & LICE_BLIT_MODE_MASK) == LICE_MODE_COPY && !useAlpha && (a == 256 || a == 128))
  {
    for (int y = 0; y < b.h; ++y)
    {
      LICE_pixel* d = dv.row(b.dy + y) + b.dx;
      const LICE_pixel* s = sv.row(b.sy + y) + b.sx;
      if (a == 256)
        std::memmove(d, s, static_cast<size_t>(b.w) * sizeof(LICE_pixel));
      else
        for (int x = 0; x < b.w; ++x)
          d[x] = ((d[x] >> 1) & 0x7F7F7F7F) + ((s[x] >> 1) & 0x7F7F7F7F);
    }
    return;
  }
  BlockRun r{dv, sv, b, a};
  lice::dispatchCombiner(mode, useAlpha, r);
}

// Whether two views share pixel memory.
bool overlaps(const View& a, const View& b)
{
  auto lo = [](const View& v) { return std::min(v.pixels, v.row(v.height - 1)); };
  auto hi = [](const View& v) { return std::max(v.pixels, v.row(v.height - 1)) + v.width; };
  return lo(a) < hi(b) && lo(b) < hi(a);
}
} // namespace

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int w,
               int h, float alpha, int mode)
{
  View dv, sv;
  const int a = lice::weightOf(alpha);
  if (a == 0 || !lice::viewOf(dest, dv) || !lice::viewOf(src, sv))
    return;
  Block b{dstx, dsty, srcx, srcy, w, h};
  if (!lice::clipBlock(b, dv.width, dv.height, sv.width, sv.height))
    return;
  if (overlaps(dv, sv))
  {
    // Blitting within one bitmap: read from a copy so that no pixel is
    // combined after it was already written.
    LICE_MemBitmap copy(b.w, b.h, 1);
    View cv;
    if (!lice::viewOf(&copy, cv))
      return;
    for (int y = 0; y < b.h; ++y)
      std::memcpy(cv.row(y), sv.row(b.sy + y) + b.sx, static_cast<size_t>(b.w) * 4);
    blitClipped(dv, cv, Block{b.dx, b.dy, 0, 0, b.w, b.h}, a, mode);
    return;
  }
  blitClipped(dv, sv, b, a, mode);
}

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const LICE_Rect* srcrect,
               float alpha, int mode)
{
  if (!src)
    return;
  if (!srcrect)
  {
    LICE_Blit(dest, src, dstx, dsty, 0, 0, src->getWidth(), src->getHeight(), alpha, mode);
    return;
  }
  const int64_t w = static_cast<int64_t>(srcrect->right) - srcrect->left;
  const int64_t h = static_cast<int64_t>(srcrect->bottom) - srcrect->top;
  if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX)
    return;
  LICE_Blit(dest, src, dstx, dsty, srcrect->left, srcrect->top, static_cast<int>(w),
            static_cast<int>(h), alpha, mode);
}

namespace
{
// Source pixels that filtering may read: the source rectangle cut to the
// bitmap, inclusive bounds.
struct Bounds
{
  int x0, y0, x1, y1;
};

bool sourceBounds(const View& sv, float srcx, float srcy, float srcw, float srch, Bounds& out)
{
  const double l = std::min<double>(srcx, srcx + srcw), r = std::max<double>(srcx, srcx + srcw);
  const double t = std::min<double>(srcy, srcy + srch), bt = std::max<double>(srcy, srcy + srch);
  if (!(r > l) || !(bt > t) || !std::isfinite(r) || !std::isfinite(bt) || !std::isfinite(l) ||
      !std::isfinite(t))
    return false;
  out.x0 = static_cast<int>(std::max(0.0, std::floor(l)));
  out.y0 = static_cast<int>(std::max(0.0, std::floor(t)));
  out.x1 = static_cast<int>(std::min<double>(sv.width, std::ceil(r))) - 1;
  out.y1 = static_cast<int>(std::min<double>(sv.height, std::ceil(bt))) - 1;
  return out.x1 >= out.x0 && out.y1 >= out.y0;
}

inline int clampTo(int v, int lo, int hi)
{
  return v < lo ? lo : (v > hi ? hi : v);
}

// Bilinear sample at 16.16 source coordinates measured from pixel centres.
LICE_pixel bilinear(const View& sv, const Bounds& bd, int64_t fx, int64_t fy)
{
  const int x0 = static_cast<int>(fx >> 16), y0 = static_cast<int>(fy >> 16);
  const int ax = static_cast<int>((fx >> 8) & 255), ay = static_cast<int>((fy >> 8) & 255);
  const int xa = clampTo(x0, bd.x0, bd.x1), xb = clampTo(x0 + 1, bd.x0, bd.x1);
  const LICE_pixel* r0 = sv.row(clampTo(y0, bd.y0, bd.y1));
  const LICE_pixel* r1 = sv.row(clampTo(y0 + 1, bd.y0, bd.y1));
  int out[4];
  for (int c = 0; c < 4; ++c)
  {
    const int top = chan(r0[xa], c * 8) * (256 - ax) + chan(r0[xb], c * 8) * ax;
    const int bot = chan(r1[xa], c * 8) * (256 - ax) + chan(r1[xb], c * 8) * ax;
    out[c] = (top * (256 - ay) + bot * ay) >> 16;
  }
  return lice::pack(out[0], out[1], out[2], out[3]);
}

// Average of the (2r+1)^2 pixels around (x, y), clamped to the bounds.
LICE_pixel boxAverage(const View& sv, const Bounds& bd, int x, int y, int radius)
{
  int sum[4] = {0, 0, 0, 0}, n = 0;
  for (int j = -radius; j <= radius; ++j)
  {
    const LICE_pixel* row = sv.row(clampTo(y + j, bd.y0, bd.y1));
    for (int i = -radius; i <= radius; ++i)
    {
      const LICE_pixel p = row[clampTo(x + i, bd.x0, bd.x1)];
      for (int c = 0; c < 4; ++c)
        sum[c] += chan(p, c * 8);
      ++n;
    }
  }
  return lice::pack(sum[0] / n, sum[1] / n, sum[2] / n, sum[3] / n);
}

struct ScaledRun
{
  const View& dv;
  const View& sv;
  const Bounds& bd;
  int x0, x1, y0, y1;       // destination pixels to visit, inclusive
  int64_t ux, uy, dux, duy; // 16.16 source position of (x0, y0) and its steps
  bool filter;
  int boxRadius;
  int a;

  template <class C> void run()
  {
    int64_t v = uy;
    for (int y = y0; y <= y1; ++y, v += duy)
    {
      LICE_pixel* d = dv.row(y);
      int64_t u = ux;
      for (int x = x0; x <= x1; ++x, u += dux)
      {
        const int sx = static_cast<int>(u >> 16), sy = static_cast<int>(v >> 16);
        if (sx < bd.x0 || sx > bd.x1 || sy < bd.y0 || sy > bd.y1)
          continue;
        LICE_pixel s;
        if (boxRadius > 0)
          s = boxAverage(sv, bd, sx, sy, boxRadius);
        else if (filter)
          s = bilinear(sv, bd, u - 32768, v - 32768);
        else
          s = sv.row(sy)[sx];
        C::apply(d[x], s, a);
      }
    }
  }
};

int64_t toFixed(double v)
{
  return static_cast<int64_t>(std::floor(v * 65536.0));
}
} // namespace

void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float alpha, int mode)
{
  View dv, sv;
  const int a = lice::weightOf(alpha);
  if (a == 0 || dstw == 0 || dsth == 0 || !lice::viewOf(dest, dv) || !lice::viewOf(src, sv))
    return;
  const bool filter = (mode & LICE_FLAG_BILINEAR) != 0;
  if (std::fabs(srcw - dstw) < 0.001f && std::fabs(srch - dsth) < 0.001f)
  {
    const bool whole =
        std::fabs(srcx - std::round(srcx)) < 0.03f && std::fabs(srcy - std::round(srcy)) < 0.03f;
    if (!filter || whole)
    {
      LICE_Blit(dest, src, dstx, dsty, static_cast<int>(std::lround(srcx)),
                static_cast<int>(std::lround(srcy)), dstw, dsth, alpha, mode & ~LICE_FLAG_BILINEAR);
      return;
    }
  }
  Bounds bd;
  if (!sourceBounds(sv, srcx, srcy, srcw, srch, bd))
    return;
  const bool mirrorX = dstw < 0, mirrorY = dsth < 0;
  const int64_t w = mirrorX ? -static_cast<int64_t>(dstw) : dstw;
  const int64_t h = mirrorY ? -static_cast<int64_t>(dsth) : dsth;
  Block b{dstx,
          dsty,
          0,
          0,
          static_cast<int>(std::min<int64_t>(w, INT32_MAX)),
          static_cast<int>(std::min<int64_t>(h, INT32_MAX))};
  if (!lice::clipBlock(b, dv.width, dv.height, b.w, b.h))
    return;
  const double stepX = static_cast<double>(srcw) / static_cast<double>(w);
  const double stepY = static_cast<double>(srch) / static_cast<double>(h);
  // Source position of the centre of destination column i (row j), counted
  // from the mirrored side when mirroring.
  const double i0 = mirrorX ? static_cast<double>(w - 1 - (b.dx - dstx)) : b.dx - dstx;
  const double j0 = mirrorY ? static_cast<double>(h - 1 - (b.dy - dsty)) : b.dy - dsty;
  ScaledRun r{dv,
              sv,
              bd,
              b.dx,
              b.dx + b.w - 1,
              b.dy,
              b.dy + b.h - 1,
              toFixed(srcx + (i0 + 0.5) * stepX),
              toFixed(srcy + (j0 + 0.5) * stepY),
              toFixed(mirrorX ? -stepX : stepX),
              toFixed(mirrorY ? -stepY : stepY),
              filter,
              0,
              a};
  if (filter && std::fabs(stepX) >= 1.7 && std::fabs(stepY) >= 1.7)
    r.boxRadius = (std::fabs(stepX) > 3.0 && std::fabs(stepY) > 3.0) ? 2 : 1;
  lice::dispatchCombiner(mode, (mode & LICE_FLAG_USE_ALPHA) != 0, r);
}

namespace
{
struct RotatedRun
{
  const View& dv;
  const View& sv;
  const Bounds& bd;
  const Block& b;
  double u0, v0;         // source position of the first visited pixel
  double dudx, dvdx;     // per destination column
  double dudy, dvdy;     // per destination row
  double cl, ct, cr, cb; // the source rectangle, when clipping to it
  bool clipToRect, filter;
  int a;

  template <class C> void run()
  {
    for (int y = 0; y < b.h; ++y)
    {
      LICE_pixel* d = dv.row(b.dy + y) + b.dx;
      double u = u0 + y * dudy, v = v0 + y * dvdy;
      for (int x = 0; x < b.w; ++x, u += dudx, v += dvdx)
      {
        if (clipToRect && (u < cl || u >= cr || v < ct || v >= cb))
          continue;
        if (!(u >= bd.x0 && u < bd.x1 + 1 && v >= bd.y0 && v < bd.y1 + 1))
          continue;
        const LICE_pixel s = filter ? bilinear(sv, bd, toFixed(u - 0.5), toFixed(v - 0.5))
                                    : sv.row(static_cast<int>(v))[static_cast<int>(u)];
        C::apply(d[x], s, a);
      }
    }
  }
};
} // namespace

void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      float srcx, float srcy, float srcw, float srch, float angle,
                      bool clipToSourceRect, float alpha, int mode, float rotxcent, float rotycent)
{
  View dv, sv;
  const int a = lice::weightOf(alpha);
  if (a == 0 || dstw <= 0 || dsth <= 0 || !lice::viewOf(dest, dv) || !lice::viewOf(src, sv))
    return;
  if (!std::isfinite(angle) || !std::isfinite(rotxcent) || !std::isfinite(rotycent))
    return;
  Bounds bd;
  if (!sourceBounds(sv, srcx, srcy, srcw, srch, bd))
    return;
  Block b{dstx, dsty, 0, 0, dstw, dsth};
  if (!lice::clipBlock(b, dv.width, dv.height, dstw, dsth))
    return;
  // A destination offset (p, q) from its centre reads the source at its
  // centre plus the offset turned back by the angle and scaled to the source.
  const double cs = std::cos(angle), sn = std::sin(angle);
  const double sx = static_cast<double>(srcw) / dstw, sy = static_cast<double>(srch) / dsth;
  const double dcx = dstx + dstw * 0.5, dcy = dsty + dsth * 0.5;
  const double scx = srcx + srcw * 0.5 + rotxcent, scy = srcy + srch * 0.5 + rotycent;
  const double p = b.dx + 0.5 - dcx, q = b.dy + 0.5 - dcy;
  RotatedRun r{dv,
               sv,
               bd,
               b,
               scx + (p * cs + q * sn) * sx,
               scy + (-p * sn + q * cs) * sy,
               cs * sx,
               -sn * sy,
               sn * sx,
               cs * sy,
               std::min<double>(srcx, srcx + srcw),
               std::min<double>(srcy, srcy + srch),
               std::max<double>(srcx, srcx + srcw),
               std::max<double>(srcy, srcy + srch),
               clipToSourceRect,
               (mode & LICE_FLAG_BILINEAR) != 0,
               a};
  lice::dispatchCombiner(mode, (mode & LICE_FLAG_USE_ALPHA) != 0, r);
}

void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src)
{
  if (!dest || !src)
    return;
  dest->resize(src->getWidth(), src->getHeight());
  LICE_Blit(dest, src, 0, 0, 0, 0, src->getWidth(), src->getHeight(), 1.0f, LICE_MODE_COPY);
}

void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel mask,
                    LICE_pixel orbits)
{
  View v;
  if (!lice::viewOf(dest, v))
    return;
  Block b{x, y, 0, 0, w, h};
  if (!lice::clipBlock(b, v.width, v.height, w, h))
    return;
  for (int j = 0; j < b.h; ++j)
  {
    LICE_pixel* d = v.row(b.dy + j) + b.dx;
    for (int i = 0; i < b.w; ++i)
      d[i] = (d[i] & mask) | orbits;
  }
}

void LICE_Clear(LICE_IBitmap* dest, LICE_pixel color)
{
  View v;
  if (lice::viewOf(dest, v))
    LICE_ClearRect(dest, 0, 0, v.width, v.height, 0, color);
}

void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha,
                   int mode)
{
  View v;
  if (!lice::viewOf(dest, v))
    return;
  if (mode & LICE_FLAG_USE_ALPHA)
    alpha = alpha * static_cast<float>(LICE_GETA(color)) / 255.0f;
  const int a = lice::weightOf(alpha);
  Block b{x, y, 0, 0, w, h};
  if (a == 0 || !lice::clipBlock(b, v.width, v.height, w, h))
    return;
  for (int j = 0; j < b.h; ++j)
    lice::solidSpan(v.row(b.dy + j) + b.dx, b.w, color, a, mode);
}

void LICE_PutPixel(LICE_IBitmap* dest, int x, int y, LICE_pixel color, float alpha, int mode)
{
  View v;
  if (lice::viewOf(dest, v))
    lice::blendPixel(v, x, y, color, lice::weightOf(alpha), mode);
}

LICE_pixel LICE_GetPixel(LICE_IBitmap* dest, int x, int y)
{
  View v;
  if (!lice::viewOf(dest, v) || x < 0 || y < 0 || x >= v.width || y >= v.height)
    return 0;
  return v.row(y)[x];
}
