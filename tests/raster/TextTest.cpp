#include "lice_text.h"

#include <gtest/gtest.h>

#include <algorithm>

#ifdef _WIN32
#include "win/lice_win.h"
#else
#include "GoldenImage.h"

#include <string>
#endif

TEST(CachedFont, SettersReturnThePreviousValue)
{
  LICE_CachedFont font;
  EXPECT_EQ(0u, font.SetTextColor(0xFF112233));
  EXPECT_EQ(0xFF112233u, font.GetTextColor());
  EXPECT_EQ(0xFFFFFFFFu, font.SetBkColor(0xFF000000));
  EXPECT_EQ(0xFFFFFFFFu, font.SetEffectColor(0));
  EXPECT_EQ(LICE_BKMODE_TRANSPARENT, font.SetBkMode(LICE_BKMODE_OPAQUE));
  EXPECT_EQ(LICE_BKMODE_OPAQUE, font.SetBkMode(LICE_BKMODE_TRANSPARENT));
  EXPECT_EQ(nullptr, font.GetHFont());
}

TEST(CachedFont, WithoutAPlatformFontDrawsNothing)
{
  LICE_CachedFont font;
  LICE_MemBitmap bm(20, 20);
  LICE_Clear(&bm, 0);
  LICE_Rect r = {0, 0, 20, 20};
  EXPECT_EQ(0, font.DrawTextA(&bm, "text", -1, &r, 0));
  EXPECT_EQ(0, font.DrawTextA(nullptr, "text", -1, &r, 0)); // drawing needs a bitmap
  EXPECT_EQ(0, font.DrawTextA(&bm, nullptr, -1, &r, 0));
  EXPECT_EQ(0u, LICE_GetPixel(&bm, 5, 5));
}

#ifdef _WIN32
namespace
{
// The leftmost and rightmost columns holding a pixel other than the
// background, -1 when none.
void inkSpan(LICE_IBitmap* bm, LICE_pixel background, int& left, int& right)
{
  left = right = -1;
  for (int x = 0; x < bm->getWidth(); ++x)
    for (int y = 0; y < bm->getHeight(); ++y)
      if ((LICE_GetPixel(bm, x, y) & 0xFFFFFF) != (background & 0xFFFFFF))
      {
        if (left < 0)
          left = x;
        right = x;
      }
}

HFONT makeFont(int height)
{
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH,
                     "Tahoma");
}
} // namespace

// Both routes under Wine: the glyph cache (what Wine gets by default) and
// GDI drawing straight into the bitmap's DC or through a scratch section.
class GdiText : public ::testing::TestWithParam<bool>
{
protected:
  void SetUp() override { lice::win::setSkipNativeTextUnderCompatibilityLayer(!GetParam()); }
  void TearDown() override { lice::win::setSkipNativeTextUnderCompatibilityLayer(true); }
};

TEST_P(GdiText, MeasuresAndDrawsInsideTheRectangle)
{
  LICE_CachedFont font;
  font.SetFromHFont(makeFont(16), LICE_FONT_OWNS_HFONT | LICE_FONT_FORCE_NATIVE);
  ASSERT_NE(nullptr, font.GetHFont());
  EXPECT_GE(font.GetLineHeight(), 14);

  LICE_Rect measured = {10, 5, 10, 5};
  const int h =
      font.DrawTextA(nullptr, "Kolvane", -1, &measured, LICE_DT_CALCRECT | LICE_DT_SINGLELINE);
  EXPECT_EQ(font.GetLineHeight(), h);
  EXPECT_EQ(10, measured.left);
  EXPECT_EQ(5 + h, measured.bottom);
  const int width = measured.right - measured.left;
  EXPECT_GT(width, 30);
  EXPECT_LT(width, 120);

  LICE_Rect wider = {0, 0, 0, 0};
  font.DrawTextA(nullptr, "Kolvane Kolvane", -1, &wider, LICE_DT_CALCRECT | LICE_DT_SINGLELINE);
  EXPECT_GT(wider.right, width + 20);

  // Drawn white on black, left and right aligned, into both kinds of bitmap.
  LICE_MemBitmap mem(200, 40);
  LICE_SysBitmap sys(200, 40);
  for (LICE_IBitmap* bm : {static_cast<LICE_IBitmap*>(&mem), static_cast<LICE_IBitmap*>(&sys)})
  {
    font.SetTextColor(0xFFFFFFFF);
    LICE_Clear(bm, 0xFF000000);
    LICE_Rect r = {20, 10, 180, 30};
    EXPECT_EQ(h, font.DrawTextA(bm, "Kolvane", -1, &r, LICE_DT_SINGLELINE));
    int left, right;
    inkSpan(bm, 0xFF000000, left, right);
    ASSERT_GE(left, 20);
    EXPECT_LE(right, 20 + width + 2);

    LICE_Clear(bm, 0xFF000000);
    EXPECT_EQ(h, font.DrawTextA(bm, "Kolvane", -1, &r, LICE_DT_SINGLELINE | LICE_DT_RIGHT));
    inkSpan(bm, 0xFF000000, left, right);
    EXPECT_GE(left, 180 - width - 2);
    EXPECT_LT(right, 180);

    // A rectangle too small for the text clips it.
    LICE_Clear(bm, 0xFF000000);
    LICE_Rect small = {20, 10, 30, 30};
    font.DrawTextA(bm, "Kolvane", -1, &small, LICE_DT_SINGLELINE);
    inkSpan(bm, 0xFF000000, left, right);
    EXPECT_GE(left, 20);
    EXPECT_LT(right, 30);
  }
}

INSTANTIATE_TEST_SUITE_P(Routes, GdiText, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info)
                         { return info.param ? "NativeGdi" : "GlyphCache"; });

TEST(GdiText, GlyphCacheBlendsWithTheTextColourAlpha)
{
  LICE_CachedFont font;
  font.SetFromHFont(makeFont(16), LICE_FONT_OWNS_HFONT | LICE_FONT_PRECALC);
  font.SetTextColor(0x80FFFFFF);
  LICE_MemBitmap bm(100, 30);
  LICE_Clear(&bm, 0xFF000000);
  LICE_Rect r = {0, 0, 100, 30};
  font.DrawTextA(&bm, "IIII", -1, &r, LICE_DT_SINGLELINE | LICE_DT_USEFGALPHA);
  int brightest = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x)
      brightest = std::max(brightest, LICE_GETG(LICE_GetPixel(&bm, x, y)));
  EXPECT_GT(brightest, 90);
  EXPECT_LT(brightest, 140);
}
#endif

#ifndef _WIN32
namespace
{
struct FontCase
{
  const char* family;
  int height;
  bool bold, italic, antiAlias;
};

// Each style drawn white on black, left, centred and right on its own row.
void drawStyles(LICE_IBitmap* bm, const FontCase* cases, int n)
{
  LICE_Clear(bm, 0xFF000000);
  int y = 2;
  for (int i = 0; i < n; ++i)
  {
    const FontCase& c = cases[i];
    LICE_CachedFont font;
    font.SetFromHFont(LICE_CreateFont(c.family, c.height, c.bold, c.italic, c.antiAlias),
                      LICE_FONT_OWNS_HFONT | LICE_FONT_FORCE_NATIVE);
    ASSERT_NE(nullptr, font.GetHFont()) << c.family;
    font.SetTextColor(0xFFFFFFFF);
    const int formats[] = {0, LICE_DT_CENTER, LICE_DT_RIGHT};
    const char* texts[] = {"Kolvane", "0.75", "Qy -12"};
    for (int k = 0; k < 3; ++k)
    {
      LICE_Rect r = {4, y, bm->getWidth() - 4, y + c.height};
      font.DrawTextA(bm, texts[k], -1, &r, LICE_DT_SINGLELINE | formats[k]);
    }
    y += c.height + 2;
  }
}
} // namespace

// Regular, bold, italic and aliased text at the sizes the editors use, in
// the fallback face every Linux desktop has.
TEST(FreeTypeText, DrawsLikeItsExpectedPicture)
{
  const FontCase cases[] = {{"DejaVu Sans", 12, false, false, true},
                            {"DejaVu Sans", 16, true, false, true},
                            {"DejaVu Sans", 16, false, true, true},
                            {"DejaVu Sans", 14, false, false, false}};
  LICE_MemBitmap bm(240, 72);
  drawStyles(&bm, cases, 4);
  ExpectMatchesGolden(&bm, std::string(KOLVANE_GOLDEN_DIR) + "/text_linux.png", "text_linux");
}

TEST(FreeTypeText, MissingFamilyFallsBackToDejaVuSans)
{
  const FontCase missing[] = {{"No Such Family 7f3a", 16, false, false, true}};
  const FontCase dejavu[] = {{"DejaVu Sans", 16, false, false, true}};
  LICE_MemBitmap a(240, 20), b(240, 20);
  drawStyles(&a, missing, 1);
  drawStyles(&b, dejavu, 1);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 240; ++x)
      ASSERT_EQ(LICE_GetPixel(&b, x, y), LICE_GetPixel(&a, x, y)) << x << "," << y;
}

TEST(FreeTypeText, LineHeightIsTheRequestedHeight)
{
  for (int height : {9, 12, 16, 27})
  {
    LICE_CachedFont font;
    font.SetFromHFont(LICE_CreateFont("DejaVu Sans", height, false, false, true),
                      LICE_FONT_OWNS_HFONT);
    EXPECT_EQ(height, font.GetLineHeight());
    LICE_Rect r = {3, 4, 3, 4};
    EXPECT_EQ(height,
              font.DrawTextA(nullptr, "Kolvane", -1, &r, LICE_DT_CALCRECT | LICE_DT_SINGLELINE));
    EXPECT_EQ(4 + height, r.bottom);
    EXPECT_GT(r.right - r.left, height * 2) << "seven letters are wider than two lines are high";
  }
  EXPECT_EQ(nullptr, LICE_CreateFont("DejaVu Sans", 0, false, false, true));
}
#endif
