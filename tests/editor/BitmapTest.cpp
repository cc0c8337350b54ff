// Pictures: loading through the process-wide cache, pictures that cannot be
// loaded, frame selection, clipping to the region being drawn, and the
// bitmaps the context makes by scaling and cropping.

#include "EditorFixtures.h"

#include <gtest/gtest.h>

namespace
{
// Fails the first request for each id, then answers with a new picture,
// counting requests, as a resource that turns up late would.
class LateLoader : public TestGraphics
{
public:
  using TestGraphics::TestGraphics;
  LICE_IBitmap* OSLoadBitmap(int, const char*) override
  {
    return ++mRequests == 1 ? nullptr : new LICE_MemBitmap(7, 9);
  }
  int mRequests = 0;
};

// Every pixel its own colour: red is x, green is y.
std::unique_ptr<LICE_MemBitmap> MakeCoordinates(int w, int h)
{
  auto bitmap = std::make_unique<LICE_MemBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      LICE_PutPixel(bitmap.get(), x, y, LICE_RGBA(x, y, 0, 255), 1.0f, LICE_MODE_COPY);
  return bitmap;
}

const LICE_pixel kClear = 0xFF102030;
} // namespace

TEST(LoadIBitmap, TheSameIdGivesOneSharedBitmapWithEachCallersFrameCount)
{
  EditorPlug plug;
  TestGraphics graphics(&plug);
  const IBitmap thirty = graphics.LoadIBitmap(artwork::kKnob, "knob.png", 30);
  const IBitmap one = graphics.LoadIBitmap(artwork::kKnob, "any name.png", 1, true);
  ASSERT_NE(nullptr, thirty.mData);
  EXPECT_EQ(thirty.mData, one.mData);
  EXPECT_EQ(64, thirty.W);
  EXPECT_EQ(1920, thirty.H);
  EXPECT_EQ(30, thirty.N);
  EXPECT_EQ(1, one.N);
  EXPECT_TRUE(one.mFramesAreHorizontal);
  // Another editor in the process gets the same bitmap.
  TestGraphics other(&plug);
  EXPECT_EQ(thirty.mData, other.LoadIBitmap(artwork::kKnob, "knob.png", 30).mData);
}

TEST(LoadIBitmap, APictureThatCannotBeLoadedHasNoDataNoSizeAndIsNotCached)
{
  EditorPlug plug;
  LateLoader graphics(&plug);
  const int unusedId = 5101;
  const IBitmap missing = graphics.LoadIBitmap(unusedId, "late.png", 2);
  EXPECT_EQ(nullptr, missing.mData);
  EXPECT_EQ(0, missing.W);
  EXPECT_EQ(0, missing.H);
  // The failure was not remembered: the next load asks again and succeeds,
  // and only then is the picture kept.
  const IBitmap found = graphics.LoadIBitmap(unusedId, "late.png", 2);
  EXPECT_EQ(2, graphics.mRequests);
  ASSERT_NE(nullptr, found.mData);
  EXPECT_EQ(7, found.W);
  EXPECT_EQ(9, found.H);
  EXPECT_EQ(found.mData, graphics.LoadIBitmap(unusedId, "late.png").mData);
  EXPECT_EQ(2, graphics.mRequests);
}

TEST(LoadIBitmap, TheMemoryContextLoadsOnlyPngNamesFromExistingResources)
{
  EditorPlug plug;
  TestGraphics graphics(&plug);
  struct Case
  {
    int id;
    const char* name;
    bool loads;
  };
  const Case cases[] = {
      {artwork::kLed, "Green LED.png", true},
      {artwork::kLed, "GREEN LED.PNG", true},
      {artwork::kLed, "Green LED.bmp", false},
      {artwork::kLed, "png", false},
      {artwork::kLed, "led.png.bak", false},
      {artwork::kLed, nullptr, false},
      {102, "none.png", false}, // no such resource
  };
  for (const Case& c : cases)
  {
    std::unique_ptr<LICE_IBitmap> bitmap(graphics.OSLoadBitmap(c.id, c.name));
    EXPECT_EQ(c.loads, bitmap != nullptr) << c.id << " " << (c.name ? c.name : "(null)");
  }
  const IBitmap none = graphics.LoadIBitmap(102, "none.png");
  EXPECT_EQ(nullptr, none.mData);
  EXPECT_EQ(0, none.W);
}

TEST(LoadIBitmap, NegativeIdsNameNoPictureEvenWhenTheCacheKeepsRetainedOnes)
{
  EditorPlug plug;
  TestGraphics graphics(&plug);
  LICE_MemBitmap source(4, 4);
  const IBitmap record(&source, 4, 4);
  const IBitmap scaled = graphics.ScaleBitmap(&record, 8, 8);
  ASSERT_NE(nullptr, scaled.mData);
  EXPECT_EQ(nullptr, graphics.LoadIBitmap(-1, "scaled.png").mData);
  IBitmap release = scaled;
  graphics.ReleaseBitmap(&release);
}

TEST(DrawBitmap, AnUnloadedPictureDrawsNothing)
{
  EditorPlug plug;
  TestGraphics graphics(&plug, 40, 40);
  graphics.PrepDraw();
  LICE_Clear(graphics.GetDrawBitmap(), kClear);
  graphics.SetDrawRECT(IRECT(0, 0, 40, 40));
  const IBitmap empty(nullptr, 0, 0, 3);
  const IRECT dest(0, 0, 40, 40);
  EXPECT_TRUE(graphics.DrawBitmap(&empty, &dest, 2));
  EXPECT_TRUE(graphics.DrawRotatedBitmap(&empty, 20, 20, 1.0));
  EXPECT_TRUE(graphics.DrawRotatedMask(&empty, &empty, &empty, 0, 0, 45.0));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(kClear, graphics.Pixel(x, y)) << x << "," << y;
}

// States are 1-based; the offset along the frames is trunc(0.5 + extent *
// (state - 1) / N). A state beyond the frames shows the last one, not what
// lies past the picture.
TEST(DrawBitmap, TheStatePicksTheFrame)
{
  EditorPlug plug;
  TestGraphics graphics(&plug, 40, 40);
  graphics.PrepDraw();
  graphics.SetDrawRECT(IRECT(0, 0, 40, 40));
  auto stacked = MakeFrames(10, 30, 3); // N = 3, H = 90: offsets 0, 30, 60
  auto sideBySide = MakeFrames(10, 30, 3, true);
  const IBitmap one(stacked.get(), 10, 90, 1); // one frame: always offset 0
  struct Case
  {
    IBitmap bitmap;
    int state;
    int frame; // expected, 0-based
  };
  const Case cases[] = {
      {FramesRecord(stacked.get(), 3), 1, 0},
      {FramesRecord(stacked.get(), 3), 2, 1},
      {FramesRecord(stacked.get(), 3), 3, 2},
      {FramesRecord(stacked.get(), 3), 4, 2},
      {FramesRecord(stacked.get(), 3), 1000, 2},
      {FramesRecord(stacked.get(), 3), 0, 0},
      {FramesRecord(stacked.get(), 3), -7, 0},
      {FramesRecord(sideBySide.get(), 3, true), 2, 1},
      {FramesRecord(sideBySide.get(), 3, true), 3, 2},
      {one, 3, 0},
  };
  const IRECT dest(5, 5, 15, 35);
  for (const Case& c : cases)
  {
    LICE_Clear(graphics.GetDrawBitmap(), kClear);
    graphics.DrawBitmap(&c.bitmap, &dest, c.state);
    EXPECT_EQ(c.frame, FrameAt(graphics.Pixel(5, 5), 3)) << "state " << c.state;
    EXPECT_EQ(c.frame, FrameAt(graphics.Pixel(14, 34), 3)) << "state " << c.state;
    EXPECT_EQ(kClear, graphics.Pixel(15, 20)) << "state " << c.state;
  }
}

TEST(DrawBitmap, OnlyTheOverlapWithTheRegionIsDrawnAndTheSourceShiftsWithIt)
{
  EditorPlug plug;
  TestGraphics graphics(&plug, 60, 60);
  graphics.PrepDraw();
  LICE_Clear(graphics.GetDrawBitmap(), kClear);
  auto source = MakeCoordinates(10, 10);
  const IBitmap record(source.get(), 10, 10);
  graphics.SetDrawRECT(IRECT(25, 22, 60, 60));
  const IRECT dest(20, 20, 30, 30);
  graphics.DrawBitmap(&record, &dest, 0, 0);
  EXPECT_EQ(LICE_RGBA(5, 2, 0, 255), graphics.Pixel(25, 22));
  EXPECT_EQ(LICE_RGBA(9, 9, 0, 255), graphics.Pixel(29, 29));
  EXPECT_EQ(kClear, graphics.Pixel(24, 25)); // left of the region
  EXPECT_EQ(kClear, graphics.Pixel(27, 21)); // above it
  EXPECT_EQ(kClear, graphics.Pixel(30, 25)); // right of the destination
}

TEST(ScaleAndCropBitmap, MakeRetainedBitmapsThatReleaseFrees)
{
  EditorPlug plug;
  TestGraphics graphics(&plug);
  auto source = MakeCoordinates(10, 10);
  const IBitmap record(source.get(), 10, 10, 2);

  IBitmap scaled = graphics.ScaleBitmap(&record, 20, 5);
  ASSERT_NE(nullptr, scaled.mData);
  EXPECT_EQ(20, scaled.W);
  EXPECT_EQ(5, scaled.H);
  EXPECT_EQ(2, scaled.N);
  EXPECT_EQ(20, scaled.mData->getWidth());

  const IRECT area(2, 3, 6, 8);
  IBitmap cropped = graphics.CropBitmap(&record, &area);
  ASSERT_NE(nullptr, cropped.mData);
  EXPECT_EQ(4, cropped.W);
  EXPECT_EQ(5, cropped.H);
  EXPECT_EQ(LICE_RGBA(2, 3, 0, 255), LICE_GetPixel(cropped.mData, 0, 0));
  EXPECT_EQ(LICE_RGBA(5, 7, 0, 255), LICE_GetPixel(cropped.mData, 3, 4));

  graphics.ReleaseBitmap(&scaled);
  graphics.ReleaseBitmap(&cropped);
  EXPECT_EQ(nullptr, scaled.mData);
  EXPECT_EQ(0, cropped.W);

  // Nothing to scale, no size: nothing made.
  const IBitmap empty;
  EXPECT_EQ(nullptr, graphics.ScaleBitmap(&empty, 10, 10).mData);
  EXPECT_EQ(nullptr, graphics.ScaleBitmap(&record, 0, 10).mData);
}

TEST(ScaleAndCropBitmap, ReleasingASharedPictureLeavesItLoaded)
{
  EditorPlug plug;
  TestGraphics graphics(&plug);
  IBitmap led = graphics.LoadIBitmap(artwork::kLed, "Green LED.png", 2);
  ASSERT_NE(nullptr, led.mData);
  LICE_IBitmap* shared = led.mData;
  graphics.ReleaseBitmap(&led);
  EXPECT_EQ(shared, led.mData);
  EXPECT_EQ(shared, graphics.LoadIBitmap(artwork::kLed, "Green LED.png", 2).mData);
  EXPECT_EQ(18, shared->getWidth());
}

TEST(BackBuffer, PixelsOutsideItAreNeitherWrittenNorRead)
{
  EditorPlug plug;
  TestGraphics graphics(&plug, 8, 8);
  const IColor red = COLOR_RED;
  EXPECT_FALSE(graphics.ForcePixel(&red, 0, 0)); // no back buffer yet
  graphics.PrepDraw();
  EXPECT_TRUE(graphics.ForcePixel(&red, 7, 7));
  EXPECT_EQ(COLOR_RED, graphics.GetPoint(7, 7));
  for (int xy : {-1, 8, 1 << 20})
  {
    EXPECT_FALSE(graphics.ForcePixel(&red, xy, 0)) << xy;
    EXPECT_FALSE(graphics.ForcePixel(&red, 0, xy)) << xy;
    EXPECT_EQ(COLOR_TRANSPARENT, graphics.GetPoint(xy, 0)) << xy;
  }
}
