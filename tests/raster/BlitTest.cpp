#include "lice.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace
{
// A bitmap filled with one colour.
struct Solid : LICE_MemBitmap
{
  Solid(int w, int h, LICE_pixel color) : LICE_MemBitmap(w, h) { LICE_Clear(this, color); }
};

// Distinct pixels: 0xFF000000 | y << 8 | x.
void numbered(LICE_IBitmap* bm)
{
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
      bm->getBits()[y * bm->getRowSpan() + x] = 0xFF000000u | (uint32_t(y) << 8) | uint32_t(x);
}
} // namespace

TEST(Combiners, OnePixelByModeAndWeight)
{
  struct Case
  {
    const char* what;
    LICE_pixel dst, src;
    float alpha;
    int mode;
    LICE_pixel expected;
  };
  const int copyAlpha = LICE_MODE_COPY | LICE_FLAG_USE_ALPHA;
  const int addAlpha = LICE_MODE_ADD | LICE_FLAG_USE_ALPHA;
  const int dodgeAlpha = LICE_MODE_DODGE | LICE_FLAG_USE_ALPHA;
  const Case cases[] = {
      {"copy at 1.0 replaces", 0x11223344, 0x80FF0000, 1.0f, LICE_MODE_COPY, 0x80FF0000},
      {"copy at 0.5 of white over black halves each byte", 0x00000000, 0xFFFFFFFF, 0.5f,
       LICE_MODE_COPY, 0x7F7F7F7F},
      // d = s + (d - s) * (256 - a) / 256 with a = 64, truncating toward zero.
      {"copy at 0.25", 0xFF000000, 0xFFFFFFFF, 0.25f, LICE_MODE_COPY, 0xFF404040},
      {"copy at 0.25, falling", 0x00FFFFFF, 0xFF000000, 0.25f, LICE_MODE_COPY, 0x40BFBFBF},
      {"copy at weight 0 leaves the pixel", 0x12345678, 0xFFFFFFFF, 0.0f, LICE_MODE_COPY,
       0x12345678},
      {"source alpha 0 leaves the pixel", 0x12345678, 0x00FFFFFF, 1.0f, copyAlpha, 0x12345678},
      {"source alpha 255 replaces", 0x12345678, 0xFFABCDEF, 1.0f, copyAlpha, 0xFFABCDEF},
      // sA = 128: colour d = s + (d - s) * 127 / 256; dA = min(255, 128 + dA).
      {"source alpha 128 over black", 0xFF000000, 0x80FFFFFF, 1.0f, copyAlpha, 0xFF818181},
      {"source alpha 128 over transparent", 0x00000000, 0x80FF0000, 1.0f, copyAlpha, 0x80810000},
      // a = 128: w = 129 * 128 / 256 = 64; d = s + (d - s) * 192 / 256; dA = 64 + dA.
      {"source alpha 128 at 0.5", 0x10000000, 0x80FFFFFF, 0.5f, copyAlpha, 0x50404040},
      {"add saturates", 0xFFF0F0F0, 0xFF202020, 1.0f, LICE_MODE_ADD, 0xFFFFFFFF},
      // w = 256; colour d + s; alpha dA + sA * 256 / 256.
      {"add with source alpha", 0x10101010, 0xFF202020, 1.0f, addAlpha, 0xFF303030},
      {"add with source alpha 0 does nothing", 0x10101010, 0x00FFFFFF, 1.0f, addAlpha, 0x10101010},
      // w = (64 + 1) * 256 / 256 = 65; s * w / 256 = 0x80 * 65 / 256 = 32.
      {"add weighted by source alpha", 0x00000000, 0x40808080, 1.0f, addAlpha, 0x10202020},
      // k = 256 - 128 * 256 / 256 = 128; d = 0x40 * 256 / 128.
      {"dodge doubles under mid grey", 0xFF404040, 0xFF808080, 1.0f, dodgeAlpha, 0xFF808080},
      // k = 256 - 255 = 1 < 2: d * 256, clamped.
      {"dodge under white clamps", 0xFF010101, 0xFFFFFFFF, 1.0f, dodgeAlpha, 0xFFFFFFFF},
      {"multiply by white keeps", 0xFF406080, 0xFFFFFFFF, 1.0f, LICE_MODE_MUL, 0xFF406080},
      {"multiply by black darkens", 0xFF406080, 0xFF000000, 1.0f, LICE_MODE_MUL, 0xFF000000},
      {"channel copy red to alpha", 0x11223344, 0x00AB0000, 1.0f, LICE_MODE_CHANCOPY | 2 | (3 << 2),
       0xAB223344},
      {"weight above 1 counts as 1", 0x00000000, 0xFF808080, 7.0f, LICE_MODE_COPY, 0xFF808080},
      {"negative weight draws nothing", 0x12345678, 0xFFFFFFFF, -1.0f, LICE_MODE_COPY, 0x12345678},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    Solid dst(1, 1, c.dst), src(1, 1, c.src);
    LICE_Blit(&dst, &src, 0, 0, 0, 0, 1, 1, c.alpha, c.mode);
    EXPECT_EQ(c.expected, LICE_GetPixel(&dst, 0, 0)) << std::hex << LICE_GetPixel(&dst, 0, 0);
  }
}

TEST(Combiners, FillRectFastPathsAndAlphaFlag)
{
  struct Case
  {
    LICE_pixel dst, color;
    float alpha;
    int mode;
    LICE_pixel expected;
  };
  const Case cases[] = {
      {0x00000000, 0x12345678, 1.0f, LICE_MODE_COPY, 0x12345678},
      // Quarters and halves by shifting the whole word: low bits are dropped.
      {0xFFFFFFFF, 0x00000000, 0.5f, LICE_MODE_COPY, 0x7F7F7F7F},
      {0xFFFFFFFF, 0x00000000, 0.25f, LICE_MODE_COPY, 0xBEBEBEBE},
      {0xFFFFFFFF, 0x00000000, 0.75f, LICE_MODE_COPY, 0x3F3F3F3F},
      {0x00000000, 0xFFFFFFFF, 0.75f, LICE_MODE_COPY, 0xBEBEBEBE},
      // The flag scales the weight by the colour's alpha: 0.5 * 255 / 255.
      {0x00000000, 0x80FFFFFF, 1.0f, LICE_MODE_COPY | LICE_FLAG_USE_ALPHA, 0x407F7F7F},
      {0x12345678, 0x00FFFFFF, 1.0f, LICE_MODE_COPY | LICE_FLAG_USE_ALPHA, 0x12345678},
      {0xFF101010, 0xFF101010, 1.0f, LICE_MODE_ADD, 0xFF202020},
  };
  for (const Case& c : cases)
  {
    Solid bm(3, 3, c.dst);
    LICE_FillRect(&bm, 1, 1, 1, 1, c.color, c.alpha, c.mode);
    EXPECT_EQ(c.expected, LICE_GetPixel(&bm, 1, 1)) << std::hex << c.color << " at " << c.alpha;
    EXPECT_EQ(c.dst, LICE_GetPixel(&bm, 0, 0));
  }
  // Single pixels do not read the flag.
  Solid bm(1, 1, 0);
  LICE_PutPixel(&bm, 0, 0, 0x80FFFFFF, 1.0f, LICE_MODE_COPY | LICE_FLAG_USE_ALPHA);
  EXPECT_EQ(0x80FFFFFFu, LICE_GetPixel(&bm, 0, 0));
}

TEST(Blit, ClipsAtEveryEdgeAndShiftsTheOtherSide)
{
  struct Case
  {
    const char* what;
    int dstx, dsty, srcx, srcy, w, h;
  };
  const Case cases[] = {
      {"inside", 2, 3, 1, 1, 3, 2},
      {"destination left", -2, 1, 0, 0, 4, 4},
      {"destination top", 1, -3, 0, 0, 4, 4},
      {"destination right", 6, 1, 0, 0, 4, 4},
      {"destination bottom", 1, 6, 0, 0, 4, 4},
      {"source left", 1, 1, -2, 0, 4, 4},
      {"source top", 1, 1, 0, -3, 4, 4},
      {"source right", 1, 1, 4, 0, 4, 4},
      {"source bottom", 1, 1, 0, 4, 4, 4},
      {"both sides at once", -1, -1, -2, -2, 20, 20},
      {"entirely outside", 9, 9, 0, 0, 4, 4},
      {"negative size", 0, 0, 0, 0, -3, 4},
      {"huge size", -2000000000, 0, 0, 0, 2147483647, 2},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    LICE_MemBitmap src(6, 6);
    Solid dst(8, 8, 0);
    numbered(&src);
    LICE_Blit(&dst, &src, c.dstx, c.dsty, c.srcx, c.srcy, c.w, c.h, 1.0f, LICE_MODE_COPY);
    // Every destination pixel holds exactly the source pixel that maps onto
    // it, when that one exists, and is untouched otherwise.
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
      {
        const int64_t i = int64_t(x) - c.dstx, j = int64_t(y) - c.dsty;
        const int64_t sx = c.srcx + i, sy = c.srcy + j;
        const bool mapped =
            i >= 0 && j >= 0 && i < c.w && j < c.h && sx >= 0 && sy >= 0 && sx < 6 && sy < 6;
        const LICE_pixel want = mapped ? LICE_GetPixel(&src, int(sx), int(sy)) : 0;
        ASSERT_EQ(want, LICE_GetPixel(&dst, x, y)) << x << ", " << y;
      }
  }
}

TEST(Blit, RectangleFormAndSelfOverlap)
{
  LICE_MemBitmap src(4, 4);
  Solid dst(4, 4, 0);
  numbered(&src);
  const LICE_Rect r = {1, 2, 3, 4};
  LICE_Blit(&dst, &src, 0, 0, &r, 1.0f, LICE_MODE_COPY);
  EXPECT_EQ(LICE_GetPixel(&src, 1, 2), LICE_GetPixel(&dst, 0, 0));
  EXPECT_EQ(LICE_GetPixel(&src, 2, 3), LICE_GetPixel(&dst, 1, 1));
  EXPECT_EQ(0u, LICE_GetPixel(&dst, 2, 0));
  LICE_Blit(&dst, &src, 0, 0, nullptr, 1.0f, LICE_MODE_COPY);
  EXPECT_EQ(LICE_GetPixel(&src, 3, 3), LICE_GetPixel(&dst, 3, 3));

  // Moving a block within one bitmap, overlapping itself, blended: every
  // pixel combines with the original, not an already moved one.
  LICE_MemBitmap row(5, 1);
  for (int x = 0; x < 5; ++x)
    LICE_PutPixel(&row, x, 0, LICE_RGBA(x * 30, 0, 0, 255), 1.0f, LICE_MODE_COPY);
  LICE_Blit(&row, &row, 1, 0, 0, 0, 4, 1, 1.0f, LICE_MODE_ADD);
  for (int x = 1; x < 5; ++x)
    EXPECT_EQ(LICE_RGBA(x * 30 + (x - 1) * 30, 0, 0, 255), LICE_GetPixel(&row, x, 0)) << x;
}

TEST(Blit, NullAndEmptyBitmapsDoNothing)
{
  Solid a(2, 2, 0xFF112233);
  LICE_MemBitmap empty;
  LICE_Blit(nullptr, &a, 0, 0, 0, 0, 2, 2, 1.0f, 0);
  LICE_Blit(&a, nullptr, 0, 0, 0, 0, 2, 2, 1.0f, 0);
  LICE_Blit(&a, &empty, 0, 0, 0, 0, 2, 2, 1.0f, 0);
  LICE_ScaledBlit(&a, &empty, 0, 0, 2, 2, 0, 0, 2, 2, 1.0f, 0);
  LICE_RotatedBlit(&a, &empty, 0, 0, 2, 2, 0, 0, 2, 2, 1.0f, false, 1.0f, 0);
  LICE_FillRect(nullptr, 0, 0, 1, 1, 0, 1.0f, 0);
  LICE_Line(&empty, 0, 0, 5, 5, 0, 1.0f, 0, true);
  EXPECT_EQ(0u, LICE_GetPixel(nullptr, 0, 0));
  EXPECT_EQ(0xFF112233u, LICE_GetPixel(&a, 1, 1));
  for (int p : {-1, 2})
  {
    EXPECT_EQ(0u, LICE_GetPixel(&a, p, 0));
    EXPECT_EQ(0u, LICE_GetPixel(&a, 0, p));
  }
}

TEST(ScaledBlit, EqualSizesCopyLikeBlit)
{
  LICE_MemBitmap src(5, 4);
  numbered(&src);
  struct Case
  {
    float srcx, srcy;
    int mode;
    int fromX, fromY; // the whole-pixel origin the copy must come from
  };
  const Case cases[] = {
      {0.0f, 0.0f, LICE_MODE_COPY, 0, 0},
      {1.4f, 0.6f, LICE_MODE_COPY, 1, 1},
      {1.02f, 0.98f, LICE_MODE_COPY | LICE_FLAG_BILINEAR, 1, 1},
  };
  for (const Case& c : cases)
  {
    Solid viaScaled(5, 4, 0), viaBlit(5, 4, 0);
    LICE_ScaledBlit(&viaScaled, &src, 0, 0, 3, 2, c.srcx, c.srcy, 3.0f, 2.0f, 1.0f, c.mode);
    LICE_Blit(&viaBlit, &src, 0, 0, c.fromX, c.fromY, 3, 2, 1.0f, LICE_MODE_COPY);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x)
        EXPECT_EQ(LICE_GetPixel(&viaBlit, x, y), LICE_GetPixel(&viaScaled, x, y))
            << c.srcx << ", " << c.srcy << " at " << x << ", " << y;
  }
}

TEST(ScaledBlit, StretchesMirrorsAndFilters)
{
  LICE_MemBitmap src(2, 1);
  LICE_PutPixel(&src, 0, 0, 0xFF000000, 1.0f, 0);
  LICE_PutPixel(&src, 1, 0, 0xFFFFFFFF, 1.0f, 0);

  Solid nearest(4, 1, 0);
  LICE_ScaledBlit(&nearest, &src, 0, 0, 4, 1, 0, 0, 2, 1, 1.0f, LICE_MODE_COPY);
  const LICE_pixel doubled[4] = {0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF};
  for (int x = 0; x < 4; ++x)
    EXPECT_EQ(doubled[x], LICE_GetPixel(&nearest, x, 0)) << x;

  Solid mirrored(4, 1, 0);
  LICE_ScaledBlit(&mirrored, &src, 0, 0, -4, 1, 0, 0, 2, 1, 1.0f, LICE_MODE_COPY);
  for (int x = 0; x < 4; ++x)
    EXPECT_EQ(doubled[3 - x], LICE_GetPixel(&mirrored, x, 0)) << x;

  // Bilinear: the inner pixels fall between the two source pixels.
  Solid smooth(4, 1, 0);
  LICE_ScaledBlit(&smooth, &src, 0, 0, 4, 1, 0, 0, 2, 1, 1.0f, LICE_MODE_COPY | LICE_FLAG_BILINEAR);
  EXPECT_EQ(0xFF000000u, LICE_GetPixel(&smooth, 0, 0));
  EXPECT_EQ(0xFFFFFFFFu, LICE_GetPixel(&smooth, 3, 0));
  const int g1 = LICE_GETR(LICE_GetPixel(&smooth, 1, 0)),
            g2 = LICE_GETR(LICE_GetPixel(&smooth, 2, 0));
  EXPECT_GT(g1, 32);
  EXPECT_LT(g1, 96);
  EXPECT_NEAR(255, g1 + g2, 2);

  // Filtering a frame of a stacked picture never reads the next frame.
  LICE_MemBitmap frames(4, 8);
  LICE_FillRect(&frames, 0, 0, 4, 4, 0xFF00FF00, 1.0f, 0);
  LICE_FillRect(&frames, 0, 4, 4, 4, 0xFFFF0000, 1.0f, 0);
  Solid out(16, 16, 0);
  LICE_ScaledBlit(&out, &frames, 0, 0, 16, 16, 0, 0, 4, 4, 1.0f,
                  LICE_MODE_COPY | LICE_FLAG_BILINEAR);
  for (int y = 0; y < 16; ++y)
    EXPECT_EQ(0xFF00FF00u, LICE_GetPixel(&out, 8, y)) << y;

  // Shrinking 4:1 averages a neighbourhood: a checkerboard becomes grey.
  LICE_MemBitmap checker(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      LICE_PutPixel(&checker, x, y, (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000, 1.0f, 0);
  Solid small(4, 4, 0);
  LICE_ScaledBlit(&small, &checker, 0, 0, 4, 4, 0, 0, 16, 16, 1.0f,
                  LICE_MODE_COPY | LICE_FLAG_BILINEAR);
  const int grey = LICE_GETG(LICE_GetPixel(&small, 1, 1));
  EXPECT_NEAR(127, grey, 16);
}

TEST(RotatedBlit, QuarterTurnsMoveCornersAndClipToTheSource)
{
  LICE_MemBitmap src(4, 4);
  numbered(&src);
  // Zero angle is an identity.
  Solid same(4, 4, 0);
  LICE_RotatedBlit(&same, &src, 0, 0, 4, 4, 0, 0, 4, 4, 0.0f, true, 1.0f, LICE_MODE_COPY);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(LICE_GetPixel(&src, x, y), LICE_GetPixel(&same, x, y));

  // A quarter turn clockwise takes the top-left pixel to the top-right.
  Solid turned(4, 4, 0);
  LICE_RotatedBlit(&turned, &src, 0, 0, 4, 4, 0, 0, 4, 4, 1.5707963f, true, 1.0f, LICE_MODE_COPY);
  EXPECT_EQ(LICE_GetPixel(&src, 0, 0), LICE_GetPixel(&turned, 3, 0));
  EXPECT_EQ(LICE_GetPixel(&src, 0, 3), LICE_GetPixel(&turned, 0, 0));

  // An eighth of a turn clipped to the source leaves the corners alone.
  Solid clipped(4, 4, 0x12345678);
  LICE_RotatedBlit(&clipped, &src, 0, 0, 4, 4, 0, 0, 4, 4, 0.7853982f, true, 1.0f, LICE_MODE_COPY);
  EXPECT_EQ(0x12345678u, LICE_GetPixel(&clipped, 0, 0));
  EXPECT_NE(0x12345678u, LICE_GetPixel(&clipped, 2, 2));
}

TEST(Bitmaps, MemBitmapRowSpanAndResize)
{
  struct Case
  {
    int w;
    unsigned int align;
    int span;
  };
  const Case cases[] = {{5, 4, 8}, {8, 4, 8}, {5, 0, 5}, {5, 1, 5}, {5, 6, 6}, {5, 16, 16}};
  for (const Case& c : cases)
  {
    LICE_MemBitmap bm(c.w, 3, c.align);
    EXPECT_EQ(c.span, bm.getRowSpan()) << c.w << " aligned to " << c.align;
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(bm.getBits()) % 64);
  }
  LICE_MemBitmap bm(10, 10);
  EXPECT_FALSE(bm.resize(10, 10));
  EXPECT_TRUE(bm.resize(4, 4));
  EXPECT_TRUE(bm.resize(0, 4));
  EXPECT_EQ(nullptr, bm.getBits());
  EXPECT_EQ(0, bm.getWidth());
  EXPECT_EQ(0, bm.getHeight());
  LICE_MemBitmap none;
  EXPECT_EQ(nullptr, none.getBits());

  // More memory than exists leaves a 0 x 0 bitmap, not a crash.
  LICE_MemBitmap huge(4, 4);
  EXPECT_TRUE(huge.resize(2147483647, 2147483647));
  EXPECT_EQ(0, huge.getWidth());
  EXPECT_EQ(nullptr, huge.getBits());
}

TEST(Bitmaps, SysBitmapShrinkKeepsRowSpan)
{
  LICE_SysBitmap bm(100, 100);
  ASSERT_NE(nullptr, bm.getBits());
  EXPECT_EQ(100, bm.getRowSpan());
  EXPECT_FALSE(bm.isFlipped());
  EXPECT_TRUE(bm.resize(50, 50));
  EXPECT_EQ(50, bm.getWidth());
  EXPECT_EQ(100, bm.getRowSpan());
  // Drawing honours the wider span: the pixel below (0, 0) is one span on.
  LICE_Clear(&bm, 0);
  LICE_PutPixel(&bm, 0, 1, 0xFFABCDEF, 1.0f, 0);
  EXPECT_EQ(0xFFABCDEFu, bm.getBits()[100]);

  EXPECT_TRUE(bm.resize(101, 20)); // wider than the span: a new allocation
  EXPECT_EQ(104, bm.getRowSpan());
  EXPECT_TRUE(bm.resize(0, 0));
  EXPECT_EQ(nullptr, bm.getBits());

  LICE_SysBitmap odd(7, 3);
  EXPECT_EQ(8, odd.getRowSpan());
#ifdef _WIN32
  EXPECT_NE(nullptr, odd.getDC());
#else
  EXPECT_EQ(nullptr, odd.getDC());
#endif
}

TEST(Bitmaps, CopyAndClearRect)
{
  LICE_MemBitmap src(3, 2), dst(1, 1);
  numbered(&src);
  LICE_Copy(&dst, &src);
  EXPECT_EQ(3, dst.getWidth());
  EXPECT_EQ(LICE_GetPixel(&src, 2, 1), LICE_GetPixel(&dst, 2, 1));

  Solid bm(3, 3, 0x80ABCDEF);
  LICE_ClearRect(&bm, 1, 1, 5, 5, 0xFF000000, 0x00000001);
  EXPECT_EQ(0x80000001u, LICE_GetPixel(&bm, 2, 2));
  EXPECT_EQ(0x80ABCDEFu, LICE_GetPixel(&bm, 0, 2));
}
