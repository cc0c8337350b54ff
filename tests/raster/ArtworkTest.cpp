#include "IEditorScale.h"
#include "KolvanePictures.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <memory>

// Every picture the editor loads is in the binary under its id, at every
// scale under that scale's id, decodes, and has the size and frame layout
// the editor cuts it into: each frame the 100 % frame times the scale,
// rounded, which comes back as the 100 % frame when divided by the scale.
TEST(Artwork, EveryPictureLoadsAtEveryScaleWithItsSizeAndFrames)
{
  for (double scale : kEditorScales)
  {
    for (const PictureProperties& p : pictureProperties)
    {
      SCOPED_TRACE(std::string(p.name) + " at " + std::to_string(scale));
      std::unique_ptr<LICE_IBitmap> bm(
          LICE_LoadPNGFromResource(nullptr, ScaledPictureId(p.id, scale)));
      ASSERT_NE(nullptr, bm);
      ASSERT_GT(p.frames, 0);
      EXPECT_EQ(0, p.height % p.frames);
      EXPECT_GT(p.FrameHeight(), 0);
      const int frame = ScaledPixels(p.FrameHeight(), scale);
      EXPECT_EQ(ScaledPixels(p.width, scale), bm->getWidth());
      EXPECT_EQ(frame * p.frames, bm->getHeight());
      EXPECT_EQ(p.width, LayoutLength(bm->getWidth(), scale));
      EXPECT_EQ(p.FrameHeight(), LayoutLength(frame, scale));
    }
  }
  EXPECT_EQ(nullptr, LICE_LoadPNGFromResource(nullptr, 102));
  EXPECT_EQ(nullptr, LICE_LoadPNGFromResource(nullptr, 103));
}

// The background is opaque everywhere, at every scale: the editor draws it
// without alpha, so a transparent pixel would show whatever the buffer held
// before.
TEST(Artwork, BackgroundIsOpaqueAtEveryScale)
{
  for (double scale : kEditorScales)
  {
    std::unique_ptr<LICE_IBitmap> bm(
        LICE_LoadPNGFromResource(nullptr, ScaledPictureId(kPictureBackground, scale)));
    ASSERT_NE(nullptr, bm) << scale;
    for (int y = 0; y < bm->getHeight(); ++y)
      for (int x = 0; x < bm->getWidth(); ++x)
        ASSERT_EQ(255, LICE_GETA(LICE_GetPixel(bm.get(), x, y)))
            << x << ", " << y << " at " << scale;
  }
}
