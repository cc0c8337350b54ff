#include "artwork_layout.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kolvane_artwork;

// Every picture the editor loads is in the binary under its id, decodes,
// and has the size and frame layout the editor cuts it into.
TEST(Artwork, EveryPictureLoadsWithItsSizeAndFrames)
{
  for (const Picture& p : kPictures)
  {
    SCOPED_TRACE(p.name);
    std::unique_ptr<LICE_IBitmap> bm(LICE_LoadPNGFromResource(nullptr, p.id));
    ASSERT_NE(nullptr, bm);
    EXPECT_EQ(p.width, bm->getWidth());
    EXPECT_EQ(p.height, bm->getHeight());
    ASSERT_GT(p.frames, 0);
    EXPECT_EQ(0, p.height % p.frames);
    // Frames are square for knobs and as the editor lays them out otherwise.
    const int frameHeight = p.height / p.frames;
    EXPECT_GT(frameHeight, 0);
  }
  EXPECT_EQ(nullptr, LICE_LoadPNGFromResource(nullptr, 102));
  EXPECT_EQ(nullptr, LICE_LoadPNGFromResource(nullptr, 103));
}

TEST(Artwork, ControlsFitTheEditorAndMatchTheirPictures)
{
  for (const Control& c : kControls)
  {
    const Picture* p = findPicture(c.picture);
    ASSERT_NE(nullptr, p) << c.param;
    EXPECT_GE(c.x, 0);
    EXPECT_GE(c.y, 0);
    EXPECT_LE(c.x + p->width, kEditorWidth) << c.param;
    EXPECT_LE(c.y + p->height / p->frames, kEditorHeight) << c.param;
    EXPECT_LT(defaultFrame(c), p->frames);
  }
  // Defaults the preview shows: cutoff open, resonance closed, the LFO rate
  // on its third position, sine waves, steps 1, 2 and 6 on.
  struct Case
  {
    int param, frame;
  };
  const Case cases[] = {{8, 29}, {9, 0},  {11, 2},  {18, 2}, {17, 0},  {20, 1},
                        {22, 0}, {25, 1}, {38, 14}, {39, 4}, {37, 63}, {41, 29}};
  for (const Case& k : cases)
  {
    for (const Control& c : kControls)
    {
      if (c.param == k.param)
      {
        EXPECT_EQ(k.frame, defaultFrame(c)) << k.param;
      }
    }
  }
}

// The background is opaque everywhere: the editor draws it without alpha,
// so a transparent pixel would show whatever the buffer held before.
TEST(Artwork, BackgroundIsOpaque)
{
  std::unique_ptr<LICE_IBitmap> bm(LICE_LoadPNGFromResource(nullptr, kBackground));
  ASSERT_NE(nullptr, bm);
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
      ASSERT_EQ(255, LICE_GETA(LICE_GetPixel(bm.get(), x, y))) << x << ", " << y;
}
