// The shared editor records: rectangle arithmetic with its touching rules,
// colour packing, blend modes and text style defaults.

#include "IGraphicsStructs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(IRECT, OnlyTheAllZeroRectangleIsEmptyAndItContainsNoPoint)
{
  EXPECT_TRUE(IRECT().Empty());
  EXPECT_FALSE(IRECT().Contains(0, 0));
  // No area, but a field is set: not empty.
  EXPECT_FALSE(IRECT(5, 5, 5, 5).Empty());

  const IRECT r(10, 20, 30, 40);
  struct Case
  {
    int x, y;
    bool inside;
  };
  // Left and top are inside, right and bottom are not.
  const Case cases[] = {{10, 20, true},  {29, 39, true}, {30, 20, false},
                        {10, 40, false}, {9, 25, false}, {15, 19, false}};
  for (const Case& c : cases)
  {
    EXPECT_EQ(c.inside, r.Contains(c.x, c.y)) << c.x << "," << c.y;
  }
  EXPECT_DOUBLE_EQ(20.0, r.MW());
  EXPECT_DOUBLE_EQ(30.0, r.MH());
}

TEST(IRECT, ThisRectanglesRightAndBottomEdgesTouchTheOthersDoNot)
{
  struct Case
  {
    IRECT a, b;
    bool intersects;
  };
  const Case cases[] = {
      {{0, 0, 10, 10}, {10, 0, 20, 10}, true},  // a's right edge meets b
      {{10, 0, 20, 10}, {0, 0, 10, 10}, false}, // b's right edge meets a: not counted
      {{0, 0, 10, 10}, {0, 10, 10, 20}, true},  // a's bottom edge meets b
      {{0, 10, 10, 20}, {0, 0, 10, 10}, false},
      {{0, 0, 10, 10}, {5, 5, 15, 15}, true},
      {{0, 0, 10, 10}, {11, 0, 20, 10}, false},
      {{0, 0, 10, 10}, {}, false}, // nothing intersects the empty rectangle
      {{}, {0, 0, 10, 10}, false},
  };
  for (const Case& c : cases)
  {
    EXPECT_EQ(c.intersects, c.a.Intersects(c.b))
        << c.a.L << "," << c.a.T << "," << c.a.R << "," << c.a.B << " with " << c.b.L << ","
        << c.b.T << "," << c.b.R << "," << c.b.B;
  }
}

TEST(IRECT, IntersectAndUnion)
{
  EXPECT_EQ(IRECT(5, 5, 10, 10), IRECT(0, 0, 10, 10).Intersect(IRECT(5, 5, 15, 15)));
  EXPECT_EQ(IRECT(), IRECT(0, 0, 10, 10).Intersect(IRECT(20, 20, 30, 30)));
  // Touching gives a rectangle of no area, not the empty one.
  EXPECT_EQ(IRECT(10, 0, 10, 10), IRECT(0, 0, 10, 10).Intersect(IRECT(10, 0, 20, 10)));

  EXPECT_EQ(IRECT(0, 0, 15, 15), IRECT(0, 0, 10, 10).Union(IRECT(5, 5, 15, 15)));
  EXPECT_EQ(IRECT(5, 5, 15, 15), IRECT().Union(IRECT(5, 5, 15, 15)));
  EXPECT_EQ(IRECT(5, 5, 15, 15), IRECT(5, 5, 15, 15).Union(IRECT()));
}

TEST(IRECT, FromABitmapCoversOneFrameAndCountsFewerThanOneFrameAsOne)
{
  struct Case
  {
    int w, h, n;
    IRECT expected;
  };
  const Case cases[] = {
      {64, 1920, 30, {10, 20, 74, 84}},
      {26, 52, 2, {10, 20, 36, 46}},
      {40, 40, 1, {10, 20, 50, 60}},
      {40, 40, 0, {10, 20, 50, 60}},  // no frames: counted as one, no division by zero
      {40, 40, -3, {10, 20, 50, 60}}, // nonsense count: likewise
  };
  for (const Case& c : cases)
  {
    const IBitmap bitmap(nullptr, c.w, c.h, c.n);
    EXPECT_EQ(c.expected, IRECT(10, 20, &bitmap)) << c.n;
  }
  EXPECT_EQ(IRECT(10, 20, 10, 20), IRECT(10, 20, nullptr));
}

TEST(IColor, PacksAsARGBWithEachChannelMasked)
{
  const IColor orange = COLOR_ORANGE;
  EXPECT_EQ(0xFFFF7F00u, LiceColor(&orange));
  const IColor translucent(128, 1, 2, 3);
  EXPECT_EQ(0x80010203u, LiceColor(&translucent));
  // Out-of-range channels do not spill into their neighbours.
  const IColor wide(255, 0x1FF, 0x1FF, 0x1FF);
  EXPECT_EQ(0xFFFFFFFFu, LiceColor(&wide));
  const IColor transparent = COLOR_TRANSPARENT;
  EXPECT_EQ(0u, LiceColor(&transparent));
}

TEST(IChannelBlend, MethodsMapToRasterModes)
{
  struct Case
  {
    int method;
    int mode;
  };
  const Case cases[] = {
      {IChannelBlend::kBlendNone, 0x10000},
      {IChannelBlend::kBlendOpaque, 0},
      {IChannelBlend::kBlendAdd, 0x10001},
      {IChannelBlend::kBlendDodge, 0x10002},
      {17, 0x10000}, // any other value copies by the source alpha
  };
  for (const Case& c : cases)
  {
    const IChannelBlend blend(static_cast<IChannelBlend::EBlendMethod>(c.method), 0.5f);
    EXPECT_EQ(c.mode, LiceBlendMode(&blend)) << c.method;
    EXPECT_FLOAT_EQ(0.5f, LiceWeight(&blend));
  }
  EXPECT_EQ(0x10000, LiceBlendMode(nullptr));
  EXPECT_FLOAT_EQ(1.0f, LiceWeight(nullptr));
}

TEST(IText, NullColoursAndFaceTakeTheDefaultsAndLongFacesAreCut)
{
  const IText defaults(14, nullptr, nullptr);
  EXPECT_STREQ("Verdana", defaults.mFont);
  EXPECT_EQ(14, defaults.mSize);
  EXPECT_EQ(DEFAULT_TEXT_COLOR, defaults.mColor);
  EXPECT_EQ(DEFAULT_TEXT_ENTRY_BGCOLOR, defaults.mTextEntryBGColor);
  EXPECT_EQ(DEFAULT_TEXT_ENTRY_FGCOLOR, defaults.mTextEntryFGColor);
  EXPECT_EQ(nullptr, defaults.mCached);

  const std::string longFace(100, 'x');
  const IColor red = COLOR_RED;
  const IText cut(12, &red, longFace.c_str(), IText::kStyleBold, IText::kAlignFar);
  EXPECT_EQ(static_cast<size_t>(FONT_LEN - 1), std::strlen(cut.mFont));
  EXPECT_EQ(COLOR_RED, cut.mColor);
}
