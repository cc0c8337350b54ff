#include "KolvanePictures.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <memory>

// Every picture the editor loads is in the binary under its id, decodes,
// and has the size and frame layout the editor cuts it into.
TEST(Artwork, EveryPictureLoadsWithItsSizeAndFrames)
{
  for (const PictureProperties& p : pictureProperties)
  {
    SCOPED_TRACE(p.name);
    std::unique_ptr<LICE_IBitmap> bm(LICE_LoadPNGFromResource(nullptr, p.id));
    ASSERT_NE(nullptr, bm);
    EXPECT_EQ(p.width, bm->getWidth());
    EXPECT_EQ(p.height, bm->getHeight());
    ASSERT_GT(p.frames, 0);
    EXPECT_EQ(0, p.height % p.frames);
    EXPECT_GT(p.FrameHeight(), 0);
  }
  EXPECT_EQ(nullptr, LICE_LoadPNGFromResource(nullptr, 102));
  EXPECT_EQ(nullptr, LICE_LoadPNGFromResource(nullptr, 103));
}

// The background is opaque everywhere: the editor draws it without alpha,
// so a transparent pixel would show whatever the buffer held before.
TEST(Artwork, BackgroundIsOpaque)
{
  std::unique_ptr<LICE_IBitmap> bm(LICE_LoadPNGFromResource(nullptr, kPictureBackground));
  ASSERT_NE(nullptr, bm);
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
      ASSERT_EQ(255, LICE_GETA(LICE_GetPixel(bm.get(), x, y))) << x << ", " << y;
}
