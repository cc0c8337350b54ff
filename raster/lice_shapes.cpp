// Lines, arcs, circles, rounded rectangles and filled polygons. Every shape
// is drawn pixel by pixel or span by span through blendPixel and fillSpan,
// which clip; the loops below only bound their ranges to the bitmap so that
// far-away coordinates cost nothing.

#include "lice_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

using lice::View;

namespace
{
const double kPi = 3.14159265358979323846;
const double kTwoPi = 2.0 * kPi;

int clampInt(double v, int lo, int hi)
{
  if (!(v >= lo))
    return lo;
  if (v > hi)
    return hi;
  return static_cast<int>(v);
}

int weighted(int a, double coverage)
{
  if (coverage <= 0.0)
    return 0;
  if (coverage >= 1.0)
    return a;
  return static_cast<int>(a * coverage);
}

// floor(n / d) for d > 0.
int64_t floorDiv(int64_t n, int64_t d)
{
  return n >= 0 ? n / d : -((-n + d - 1) / d);
}
} // namespace

void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel color, float alpha,
               int mode, bool aa)
{
  View v;
  const int a = lice::weightOf(alpha);
  if (a == 0 || !lice::viewOf(dest, v))
    return;
  if (y1 == y2)
  {
    lice::fillSpan(v, std::min(x1, x2), std::max(x1, x2), y1, color, a, mode);
    return;
  }
  if (x1 == x2)
  {
    const int lo = std::max(std::min(y1, y2), 0), hi = std::min(std::max(y1, y2), v.height - 1);
    if (x1 >= 0 && x1 < v.width)
      for (int y = lo; y <= hi; ++y)
        lice::solidSpan(v.row(y) + x1, 1, color, a, mode);
    return;
  }
  // Step along the major axis; the minor coordinate follows exactly, rounded
  // (or split between two pixels when anti-aliased).
  const bool steep =
      std::abs(static_cast<int64_t>(y2) - y1) > std::abs(static_cast<int64_t>(x2) - x1);
  int64_t m1 = steep ? y1 : x1, n1 = steep ? x1 : y1, m2 = steep ? y2 : x2, n2 = steep ? x2 : y2;
  if (m1 > m2)
  {
    std::swap(m1, m2);
    std::swap(n1, n2);
  }
  const int64_t dm = m2 - m1, dn = n2 - n1;
  const int limit = steep ? v.height - 1 : v.width - 1;
  const int64_t lo = std::max<int64_t>(m1, 0), hi = std::min<int64_t>(m2, limit);
  for (int64_t m = lo; m <= hi; ++m)
  {
    const int mi = static_cast<int>(m);
    if (!aa)
    {
      const int64_t n = n1 + floorDiv(2 * (m - m1) * dn + dm, 2 * dm);
      if (n < INT32_MIN || n > INT32_MAX)
        continue;
      const int ni = static_cast<int>(n);
      lice::blendPixel(v, steep ? ni : mi, steep ? mi : ni, color, a, mode);
      continue;
    }
    const double exact = static_cast<double>(n1) + static_cast<double>(m - m1) * dn / dm;
    const double base = std::floor(exact);
    if (base < INT32_MIN || base > INT32_MAX - 1)
      continue;
    const double frac = exact - base;
    const int ni = static_cast<int>(base);
    const int w0 = weighted(a, 1.0 - frac), w1 = weighted(a, frac);
    lice::blendPixel(v, steep ? ni : mi, steep ? mi : ni, color, w0, mode);
    lice::blendPixel(v, steep ? ni + 1 : mi, steep ? mi : ni + 1, color, w1, mode);
  }
}

namespace
{
// The ring of radius r around (cx, cy), limited to the angles [minAngle,
// minAngle + span] (0 up, clockwise); span >= 2 pi is the whole circle.
void drawRing(LICE_IBitmap* dest, double cx, double cy, double r, double minAngle, double span,
              LICE_pixel color, float alpha, int mode, bool aa)
{
  View v;
  const int a = lice::weightOf(alpha);
  if (a == 0 || !lice::viewOf(dest, v) || !std::isfinite(cx) || !std::isfinite(cy) ||
      !std::isfinite(r) || !std::isfinite(minAngle) || !std::isfinite(span) || r < 0.0)
    return;
  const bool whole = span >= kTwoPi;
  const double reach = aa ? 1.0 : 0.5;
  const int y0 = clampInt(std::floor(cy - r - 1.0), 0, v.height - 1);
  const int y1 = clampInt(std::ceil(cy + r + 1.0), 0, v.height - 1);
  for (int y = y0; y <= y1; ++y)
  {
    const double dy = y - cy;
    const double outer2 = (r + reach) * (r + reach) - dy * dy;
    if (outer2 < 0.0)
      continue;
    const double outer = std::sqrt(outer2);
    const double inner2 = (r - reach) * (r - reach) - dy * dy;
    const double inner = (r > reach && inner2 > 0.0) ? std::sqrt(inner2) : -1.0;
    // Left and right halves of the ring on this row; they meet when inner < 0.
    const double ranges[2][2] = {{cx - outer, inner >= 0.0 ? cx - inner : cx + outer},
                                 {inner >= 0.0 ? cx + inner : cx + outer + 1.0, cx + outer}};
    for (const auto& range : ranges)
    {
      const int x0 = clampInt(std::floor(range[0]), 0, v.width - 1);
      const int x1 = clampInt(std::ceil(range[1]), 0, v.width - 1);
      if (range[1] < range[0])
        continue;
      for (int x = x0; x <= x1; ++x)
      {
        const double dx = x - cx;
        const double off = std::fabs(std::sqrt(dx * dx + dy * dy) - r);
        if (off >= reach)
          continue;
        if (!whole)
        {
          const double angle = std::atan2(dx, -dy);
          double rel = std::fmod(angle - minAngle, kTwoPi);
          if (rel < 0.0)
            rel += kTwoPi;
          if (rel > span)
            continue;
        }
        lice::blendPixel(v, x, y, color, aa ? weighted(a, 1.0 - off) : a, mode);
      }
    }
  }
}
} // namespace

void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
              LICE_pixel color, float alpha, int mode, bool aa)
{
  if (maxAngle < minAngle)
    std::swap(minAngle, maxAngle);
  drawRing(dest, cx, cy, r, minAngle, static_cast<double>(maxAngle) - minAngle, color, alpha, mode,
           aa);
}

void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha,
                 int mode, bool aa)
{
  drawRing(dest, cx, cy, r, 0.0, kTwoPi, color, alpha, mode, aa);
}

void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha,
                     int mode, bool aa)
{
  View v;
  const int a = lice::weightOf(alpha);
  if (a == 0 || !lice::viewOf(dest, v) || !std::isfinite(cx) || !std::isfinite(cy) ||
      !std::isfinite(r) || r < 0.0f)
    return;
  const double edge = aa ? 0.5 : 0.0;
  const int y0 = clampInt(std::floor(cy - r - 1.0), 0, v.height - 1);
  const int y1 = clampInt(std::ceil(cy + r + 1.0), 0, v.height - 1);
  for (int y = y0; y <= y1; ++y)
  {
    const double dy = y - cy;
    const double outer2 = (r + edge) * (r + edge) - dy * dy;
    if (outer2 < 0.0)
      continue;
    const double outer = std::sqrt(outer2);
    if (!aa)
    {
      const double xl = std::ceil(cx - outer), xr = std::floor(cx + outer);
      if (xl <= xr)
        lice::fillSpan(v, clampInt(xl, -1, v.width), clampInt(xr, -1, v.width), y, color, a, mode);
      continue;
    }
    // Pixels whose centre lies half a pixel inside the edge are fully
    // covered; the rest of the row gets its coverage r + 0.5 - distance.
    const double inner2 = (r - 0.5) * (r - 0.5) - dy * dy;
    int il = 1, ir = 0;
    if (r > 0.5 && inner2 > 0.0)
    {
      const double inner = std::sqrt(inner2);
      il = clampInt(std::ceil(cx - inner), -1, v.width);
      ir = clampInt(std::floor(cx + inner), -1, v.width);
      lice::fillSpan(v, il, ir, y, color, a, mode);
    }
    const int x0 = clampInt(std::floor(cx - outer), 0, v.width - 1);
    const int x1 = clampInt(std::ceil(cx + outer), 0, v.width - 1);
    for (int x = x0; x <= x1; ++x)
    {
      if (il <= ir && x >= il && x <= ir)
        continue;
      const double dx = x - cx;
      lice::blendPixel(v, x, y, color, weighted(a, r + 0.5 - std::sqrt(dx * dx + dy * dy)), mode);
    }
  }
}

void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerRadius,
                    LICE_pixel color, float alpha, int mode, bool aa)
{
  if (!dest || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h) ||
      w < 0.0f || h < 0.0f || std::fabs(x) > 1e9f || std::fabs(y) > 1e9f || w > 1e9f || h > 1e9f)
    return;
  const int l = static_cast<int>(std::lround(x)), t = static_cast<int>(std::lround(y));
  const int r = static_cast<int>(std::lround(x + w)), b = static_cast<int>(std::lround(y + h));
  const int cr = std::max(0, std::min({cornerRadius, (r - l) / 2, (b - t) / 2}));
  // The straight edges stop short of the corners, so no pixel is blended twice.
  LICE_Line(dest, l + cr + 1, t, r - cr - 1, t, color, alpha, mode, aa);
  LICE_Line(dest, l + cr + 1, b, r - cr - 1, b, color, alpha, mode, aa);
  LICE_Line(dest, l, t + cr + (cr == 0 ? 0 : 1), l, b - cr - (cr == 0 ? 0 : 1), color, alpha, mode,
            aa);
  LICE_Line(dest, r, t + cr + (cr == 0 ? 0 : 1), r, b - cr - (cr == 0 ? 0 : 1), color, alpha, mode,
            aa);
  if (cr == 0)
    return;
  const float half = static_cast<float>(kPi / 2.0);
  LICE_Arc(dest, l + cr, t + cr, cr, 3 * half, 4 * half, color, alpha, mode, aa);
  LICE_Arc(dest, r - cr, t + cr, cr, 0, half, color, alpha, mode, aa);
  LICE_Arc(dest, r - cr, b - cr, cr, half, 2 * half, color, alpha, mode, aa);
  LICE_Arc(dest, l + cr, b - cr, cr, 2 * half, 3 * half, color, alpha, mode, aa);
}

void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints,
                            LICE_pixel color, float alpha, int mode)
{
  View v;
  const int a = lice::weightOf(alpha);
  if (a == 0 || !x || !y || npoints < 1 || !lice::viewOf(dest, v))
    return;
  const int top = *std::min_element(y, y + npoints), bottom = *std::max_element(y, y + npoints);
  const int y0 = std::max(top, 0), y1 = std::min(bottom, v.height - 1);
  for (int row = y0; row <= y1; ++row)
  {
    // The span between the leftmost and rightmost edge crossing this row.
    double xl = 0.0, xr = -1.0;
    bool any = false;
    for (int i = 0; i < npoints; ++i)
    {
      const int j = (i + 1) % npoints;
      const double ya = y[i], yb = y[j], xa = x[i], xb = x[j];
      if (row < std::min(ya, yb) || row > std::max(ya, yb))
        continue;
      double lo, hi;
      if (ya == yb)
      {
        lo = std::min(xa, xb);
        hi = std::max(xa, xb);
      }
      else
        lo = hi = xa + (row - ya) * (xb - xa) / (yb - ya);
      xl = any ? std::min(xl, lo) : lo;
      xr = any ? std::max(xr, hi) : hi;
      any = true;
    }
    if (any)
      lice::fillSpan(v, clampInt(std::ceil(xl), -1, v.width), clampInt(std::floor(xr), -1, v.width),
                     row, color, a, mode);
  }
}

void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                       LICE_pixel color, float alpha, int mode)
{
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  LICE_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}
