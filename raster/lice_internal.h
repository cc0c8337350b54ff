#pragma once

// What the library's operations share: the plain view of a bitmap, the one
// clipping helper, and the pixel combiners. Private to the library.

#include "lice.h"

#include <cstdint>

namespace lice
{
// A bitmap as the inner loops see it: rows top to bottom, each `span` pixels
// after the previous one (negative for bottom-up storage).
struct View
{
  LICE_pixel* pixels = nullptr;
  int width = 0;
  int height = 0;
  int span = 0;

  LICE_pixel* row(int y) const { return pixels + static_cast<ptrdiff_t>(y) * span; }
};

// False (and an empty view) for a null bitmap or one without pixels.
bool viewOf(LICE_IBitmap* bitmap, View& view);

// A block of w x h pixels copied from (sx, sy) of a source to (dx, dy) of a
// destination.
struct Block
{
  int dx, dy, sx, sy, w, h;
};

// The clipping helper every operation uses: cuts the block to both
// rectangles [0, dw) x [0, dh) and [0, sw) x [0, sh), moving the other side
// by what is cut. Fills pass their own size as the source. False when
// nothing is left. Computed in 64 bits, so no input can overflow.
bool clipBlock(Block& b, int dw, int dh, int sw, int sh);

// alpha as the integer weight a = trunc(alpha * 256), clamped to 0..256 so
// that no combiner can push a channel outside its byte.
int weightOf(float alpha);

// --- Combiners ---------------------------------------------------------------
// Each combines one source pixel s into the destination pixel d with weight a
// (0..256). The Alpha forms first weigh by the source pixel's own alpha.
// Blits, fills and lines are instantiated per combiner, so the inner loops
// carry no mode switch.

inline int chan(LICE_pixel p, int shift)
{
  return static_cast<int>((p >> shift) & 255);
}
inline LICE_pixel pack(int b, int g, int r, int a)
{
  return static_cast<LICE_pixel>(b) | (static_cast<LICE_pixel>(g) << 8) |
         (static_cast<LICE_pixel>(r) << 16) | (static_cast<LICE_pixel>(a) << 24);
}
inline int clamp255(int v)
{
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

struct CopyCombine
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a)
  {
    if (a >= 256)
    {
      d = s;
      return;
    }
    const int ia = 256 - a;
    int out[4];
    for (int c = 0; c < 4; ++c)
    {
      const int sc = chan(s, c * 8), dc = chan(d, c * 8);
      out[c] = sc + (dc - sc) * ia / 256;
    }
    d = pack(out[0], out[1], out[2], out[3]);
  }
};

struct CopyAlphaCombine
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a)
  {
    const int sa = chan(s, 24);
    if (sa == 0)
      return;
    int out[4];
    if (a >= 256)
    {
      if (sa == 255)
      {
        d = s;
        return;
      }
      for (int c = 0; c < 3; ++c)
      {
        const int sc = chan(s, c * 8), dc = chan(d, c * 8);
        out[c] = sc + (dc - sc) * (255 - sa) / 256;
      }
      out[3] = sa + chan(d, 24);
    }
    else
    {
      const int w = (sa + 1) * a / 256;
      for (int c = 0; c < 3; ++c)
      {
        const int sc = chan(s, c * 8), dc = chan(d, c * 8);
        out[c] = sc + (dc - sc) * (256 - w) / 256;
      }
      out[3] = w + chan(d, 24);
    }
    d = pack(out[0], out[1], out[2], out[3] > 255 ? 255 : out[3]);
  }
};

struct AddCombine
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a)
  {
    int out[4];
    for (int c = 0; c < 4; ++c)
      out[c] = clamp255(chan(d, c * 8) + chan(s, c * 8) * a / 256);
    d = pack(out[0], out[1], out[2], out[3]);
  }
};

struct AddAlphaCombine
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a)
  {
    const int sa = chan(s, 24);
    if (sa == 0)
      return;
    const int w = (sa + 1) * a / 256;
    int out[4];
    for (int c = 0; c < 3; ++c)
      out[c] = clamp255(chan(d, c * 8) + chan(s, c * 8) * w / 256);
    out[3] = clamp255(chan(d, 24) + sa * w / 256);
    d = pack(out[0], out[1], out[2], out[3]);
  }
};

inline LICE_pixel dodge(LICE_pixel d, LICE_pixel s, int w)
{
  int out[4];
  for (int c = 0; c < 4; ++c)
  {
    const int k = 256 - chan(s, c * 8) * w / 256;
    const int dc = chan(d, c * 8);
    out[c] = clamp255(k >= 2 ? dc * 256 / k : dc * 256);
  }
  return pack(out[0], out[1], out[2], out[3]);
}

struct DodgeCombine
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a) { d = dodge(d, s, a); }
};

struct DodgeAlphaCombine
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a)
  {
    d = dodge(d, s, (chan(s, 24) + 1) * a / 256);
  }
};

// Multiply: the destination scaled by the source, blended in by the weight.
struct MulCombine
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a)
  {
    int out[4];
    for (int c = 0; c < 4; ++c)
    {
      const int dc = chan(d, c * 8);
      const int m = dc * (chan(s, c * 8) + 1) / 256;
      out[c] = dc + (m - dc) * a / 256;
    }
    d = pack(out[0], out[1], out[2], out[3]);
  }
};

// Overlay: multiply in the dark half of the destination, screen in the light.
struct OverlayCombine
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a)
  {
    int out[4];
    for (int c = 0; c < 4; ++c)
    {
      const int dc = chan(d, c * 8), sc = chan(s, c * 8);
      const int o = dc < 128 ? 2 * dc * sc / 255 : 255 - 2 * (255 - dc) * (255 - sc) / 255;
      out[c] = dc + (o - dc) * a / 256;
    }
    d = pack(out[0], out[1], out[2], out[3]);
  }
};

// HSV adjust: the source's red byte turns the hue (128 = unchanged, the full
// byte range is one turn), green scales saturation and blue scales value
// (128 = unchanged, 255 about double).
LICE_pixel hsvAdjust(LICE_pixel d, LICE_pixel s);

struct HsvCombine
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a)
  {
    CopyCombine::apply(d, hsvAdjust(d, s), a);
  }
};

// Weighs the source by its own alpha first, then combines it as Base does.
template <class Base> struct WithSourceAlpha
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a)
  {
    const int sa = chan(s, 24);
    if (sa == 0)
      return;
    Base::apply(d, s, (sa + 1) * a / 256);
  }
};

// Channel copy: one byte of the source (S: 0 blue, 1 green, 2 red, 3 alpha)
// into one byte of the destination, blended by the weight.
template <int S, int D> struct ChanCopyCombine
{
  static void apply(LICE_pixel& d, LICE_pixel s, int a)
  {
    const int sc = chan(s, S * 8), dc = chan(d, D * 8);
    const int v = a >= 256 ? sc : sc + (dc - sc) * (256 - a) / 256;
    d = (d & ~(LICE_pixel(255) << (D * 8))) | (static_cast<LICE_pixel>(v) << (D * 8));
  }
};

template <int N, class F> void dispatchChanCopy(int which, F& f)
{
  if constexpr (N < 16)
  {
    if (which == N)
      f.template run<ChanCopyCombine<(N & 3), (N >> 2)>>();
    else
      dispatchChanCopy<N + 1>(which, f);
  }
}

inline bool isChannelCopy(int mode)
{
  return (mode & LICE_BLIT_MODE_MASK) >= LICE_MODE_CHANCOPY;
}

// Calls f.template run<Combiner>() with the combiner for the mode's low byte
// and the source-alpha flag. Unknown low bytes copy.
template <class F> void dispatchCombiner(int mode, bool useSourceAlpha, F& f)
{
  if (isChannelCopy(mode))
  {
    dispatchChanCopy<0>(mode & 15, f);
    return;
  }
  switch (mode & LICE_BLIT_MODE_MASK)
  {
  case LICE_MODE_ADD:
    useSourceAlpha ? f.template run<AddAlphaCombine>() : f.template run<AddCombine>();
    break;
  case LICE_MODE_DODGE:
    useSourceAlpha ? f.template run<DodgeAlphaCombine>() : f.template run<DodgeCombine>();
    break;
  case LICE_MODE_MUL:
    useSourceAlpha ? f.template run<WithSourceAlpha<MulCombine>>() : f.template run<MulCombine>();
    break;
  case LICE_MODE_OVERLAY:
    useSourceAlpha ? f.template run<WithSourceAlpha<OverlayCombine>>()
                   : f.template run<OverlayCombine>();
    break;
  case LICE_MODE_HSVADJ:
    useSourceAlpha ? f.template run<WithSourceAlpha<HsvCombine>>() : f.template run<HsvCombine>();
    break;
  default:
    useSourceAlpha ? f.template run<CopyAlphaCombine>() : f.template run<CopyCombine>();
    break;
  }
}

// Solid drawing of one colour at weight a over a clipped run of n pixels, by
// the mode's combiner (the source-alpha flag is not read). Copy at 256, 128,
// 64 and 192 takes word-arithmetic fast paths.
void solidSpan(LICE_pixel* d, int n, LICE_pixel color, int a, int mode);

// One pixel of solid drawing with a weight already multiplied by coverage;
// the unit shapes are drawn from. Outside the view it does nothing.
void blendPixel(const View& v, int x, int y, LICE_pixel color, int a, int mode);

// A horizontal run x0..x1 (inclusive) of row y, clipped through clipBlock.
void fillSpan(const View& v, int x0, int x1, int y, LICE_pixel color, int a, int mode);
} // namespace lice
