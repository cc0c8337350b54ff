// Text: the process-wide font cache and its key, styles without a platform
// font, and how measured text is placed by its alignment. A font with fixed
// metrics stands in for the platform's, so the placement is the same on
// every system.

#include "EditorFixtures.h"
#include "lice_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
// Hands out a distinct stand-in platform font for every request and counts
// them; with mFail set it has none.
class FontGraphics : public TestGraphics
{
public:
  using TestGraphics::TestGraphics;
  LICE_HFONT OSCreateFont(const IText*) override
  {
    ++mRequests;
#if defined(_WIN32)
    static char handles[256];
    return mFail ? nullptr : &handles[mRequests % 256];
#else
    // Here platform fonts are FreeType faces that the cache measures with
    // and deletes: only a real one will do.
    return mFail ? nullptr : LICE_CreateFont("DejaVu Sans", 12, false, false, true);
#endif
  }
  int mRequests = 0;
  bool mFail = false;
};

// Every character is 7 pixels wide and lines are 12 high. Records what it
// was asked to draw.
class FixedFont : public LICE_IFont
{
public:
  void SetFromHFont(LICE_HFONT, int) override {}
  LICE_pixel SetTextColor(LICE_pixel color) override
  {
    const LICE_pixel old = mColor;
    mColor = color;
    return old;
  }
  LICE_pixel SetBkColor(LICE_pixel) override { return 0; }
  LICE_pixel SetEffectColor(LICE_pixel) override { return 0; }
  int SetBkMode(int) override { return 0; }
  void SetCombineMode(int, float) override {}
  int DrawTextA(LICE_IBitmap*, const char* text, int length, LICE_Rect* rect, int format) override
  {
    const int n = length < 0 ? static_cast<int>(std::strlen(text)) : length;
    if (format & LICE_DT_CALCRECT)
    {
      *rect = {0, 0, 7 * n, 12};
      return 12;
    }
    mDrawn = std::string(text, static_cast<size_t>(n));
    mRect = *rect;
    mFormat = format;
    return 12;
  }
  LICE_pixel GetTextColor() override { return mColor; }
  LICE_HFONT GetHFont() override { return nullptr; }
  int GetLineHeight() override { return 12; }

  LICE_pixel mColor = 0;
  std::string mDrawn;
  LICE_Rect mRect = {0, 0, 0, 0};
  int mFormat = 0;
};
} // namespace

TEST(DrawIText, AnEmptyStringDrawsNothingAndMakesNoFont)
{
  EditorPlug plug;
  FontGraphics graphics(&plug);
  graphics.PrepDraw();
  IText text(12, nullptr, "EditorTestFaceEmpty");
  IRECT rect(0, 0, 50, 20);
  EXPECT_TRUE(graphics.DrawIText(&text, "", &rect));
  EXPECT_TRUE(graphics.DrawIText(&text, nullptr, &rect));
  EXPECT_TRUE(graphics.MeasureIText(&text, "", &rect));
  EXPECT_EQ(0, graphics.mRequests);
  EXPECT_EQ(nullptr, text.mCached);
  EXPECT_EQ(IRECT(0, 0, 50, 20), rect);
}

TEST(DrawIText, WithoutAPlatformFontTextFailsAndTheNextDrawTriesAgain)
{
  EditorPlug plug;
  FontGraphics graphics(&plug);
  graphics.PrepDraw();
  graphics.mFail = true;
  IText text(12, nullptr, "EditorTestFaceMissing");
  IRECT rect(0, 0, 50, 20);
  EXPECT_FALSE(graphics.DrawIText(&text, "abc", &rect));
  EXPECT_FALSE(graphics.MeasureIText(&text, "abc", &rect));
  EXPECT_EQ(2, graphics.mRequests);
  EXPECT_EQ(nullptr, text.mCached);
  EXPECT_EQ(IRECT(0, 0, 50, 20), rect);
  graphics.mFail = false;
  EXPECT_TRUE(graphics.MeasureIText(&text, "abc", &rect));
  EXPECT_NE(nullptr, text.mCached);
}

// One font per face, size, style and angle, shared by every editor in the
// process; colour and quality are not part of the key.
TEST(DrawIText, FontsAreSharedByFaceSizeStyleAndAngleButNotColour)
{
  EditorPlug plug;
  FontGraphics graphics(&plug);
  const char* face = "EditorTestFaceShared";
  const IColor red = COLOR_RED, black = COLOR_BLACK;
  IText normalBlack(12, &black, face);
  IText normalRed(12, &red, face, IText::kStyleNormal, IText::kAlignNear, 0,
                  IText::kQualityClearType);
  IText bold(12, &black, face, IText::kStyleBold);
  IText bigger(13, &black, face);
  IText turned(12, &black, face, IText::kStyleNormal, IText::kAlignCenter, 90);
  IText otherFace(12, &black, "EditorTestFaceOther");
  IRECT rect(0, 0, 50, 20);
  for (IText* text : {&normalBlack, &normalRed, &bold, &bigger, &turned, &otherFace})
  {
    graphics.MeasureIText(text, "x", &rect);
    ASSERT_NE(nullptr, text->mCached);
  }
  EXPECT_EQ(normalBlack.mCached, normalRed.mCached);
  EXPECT_NE(normalBlack.mCached, bold.mCached);
  EXPECT_NE(normalBlack.mCached, bigger.mCached);
  EXPECT_NE(normalBlack.mCached, turned.mCached);
  EXPECT_NE(normalBlack.mCached, otherFace.mCached);
  EXPECT_EQ(5, graphics.mRequests);

  FontGraphics another(&plug);
  IText same(12, &red, face);
  another.MeasureIText(&same, "x", &rect);
  EXPECT_EQ(normalBlack.mCached, same.mCached);
  EXPECT_EQ(0, another.mRequests);
}

TEST(DrawIText, MeasuringPlacesTheTextsExtentByItsAlignment)
{
  EditorPlug plug;
  TestGraphics graphics(&plug);
  FixedFont font;
  struct Case
  {
    IText::EAlign align;
    const char* str;
    IRECT expected;
  };
  const Case cases[] = {
      {IText::kAlignNear, "abcd", {30, 10, 58, 22}},   // R = 30 + 28
      {IText::kAlignCenter, "abcd", {51, 10, 79, 22}}, // around the middle, 65
      {IText::kAlignCenter, "abc", {55, 10, 76, 22}},  // 21 / 2 halves to 10
      {IText::kAlignFar, "abcd", {72, 10, 100, 22}},
  };
  for (const Case& c : cases)
  {
    IText text(12, nullptr, nullptr, IText::kStyleNormal, c.align);
    text.mCached = &font;
    IRECT rect(30, 10, 100, 40);
    EXPECT_TRUE(graphics.MeasureIText(&text, c.str, &rect));
    EXPECT_EQ(c.expected, rect) << c.align << " " << c.str;
  }
  EXPECT_TRUE(font.mDrawn.empty()); // measuring draws nothing
}

TEST(DrawIText, TheFontGetsTheStylesColourAlignmentAndAlpha)
{
  EditorPlug plug;
  TestGraphics graphics(&plug);
  graphics.PrepDraw();
  FixedFont font;
  const IColor opaque(255, 1, 2, 3), translucent(128, 1, 2, 3);
  struct Case
  {
    IText::EAlign align;
    const IColor* color;
    int format;
  };
  const Case cases[] = {
      {IText::kAlignNear, &opaque, LICE_DT_NOCLIP},
      {IText::kAlignCenter, &opaque, LICE_DT_NOCLIP | LICE_DT_CENTER},
      {IText::kAlignFar, &opaque, LICE_DT_NOCLIP | LICE_DT_RIGHT},
      {IText::kAlignNear, &translucent, LICE_DT_NOCLIP | LICE_DT_USEFGALPHA},
  };
  for (const Case& c : cases)
  {
    IText text(12, c.color, nullptr, IText::kStyleNormal, c.align);
    text.mCached = &font;
    IRECT rect(5, 6, 70, 30);
    EXPECT_TRUE(graphics.DrawIText(&text, "hello", &rect));
    EXPECT_EQ("hello", font.mDrawn);
    EXPECT_EQ(c.format, font.mFormat);
    EXPECT_EQ(LiceColor(c.color), font.mColor);
    EXPECT_EQ(5, font.mRect.left);
    EXPECT_EQ(30, font.mRect.bottom);
  }
}

TEST(ICaptionControl, ShowsTheParametersDisplayTextAndLabel)
{
  Editor editor;
  FixedFont font;
  IText style;
  style.mCached = &font;
  editor.Add(new ICaptionControl(&editor.plug, IRECT(0, 0, 80, 20), EditorPlug::kGain, &style));
  editor.Add(new ICaptionControl(&editor.plug, IRECT(0, 30, 80, 50), EditorPlug::kMode, &style));
  editor.Attach();
  IRECT gain(0, 0, 80, 20), mode(0, 30, 80, 50);
  editor.graphics->Draw(&gain);
  EXPECT_EQ("1.00 x", font.mDrawn);
  editor.graphics->Draw(&mode);
  EXPECT_EQ("Hard", font.mDrawn); // a display text has no label after it
}

TEST(ITextControl, NewTextFromThePlugInMarksItDirtyOnlyWhenItDiffers)
{
  Editor editor;
  FixedFont font;
  IText style;
  style.mCached = &font;
  auto* text = editor.Add(new ITextControl(&editor.plug, IRECT(0, 0, 80, 20), &style, "one"));
  editor.Attach();
  while (editor.graphics->Tick())
  {
  }
  EXPECT_EQ("one", font.mDrawn);
  text->SetTextFromPlug("one");
  EXPECT_FALSE(text->IsDirty());
  text->SetTextFromPlug("two");
  EXPECT_TRUE(text->IsDirty());
  editor.graphics->Tick();
  EXPECT_EQ("two", font.mDrawn);
}
