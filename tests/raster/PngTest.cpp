#include "PngFixtures.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using fixtures::PngRecipe;

namespace
{
std::unique_ptr<LICE_IBitmap> load(const std::vector<uint8_t>& bytes)
{
  return std::unique_ptr<LICE_IBitmap>(LICE_LoadPNGFromMemory(bytes.data(), bytes.size()));
}

// A bitmap of fixed size that refuses to be resized, like one whose memory
// ran out.
class FixedBitmap : public LICE_IBitmap
{
public:
  FixedBitmap() { pixels.assign(4, 0xDEADBEEF); }
  LICE_pixel* getBits() override { return pixels.data(); }
  int getWidth() override { return 2; }
  int getHeight() override { return 2; }
  int getRowSpan() override { return 2; }
  bool resize(int, int) override { return false; }
  std::vector<LICE_pixel> pixels;
};

PngRecipe rgba2x2()
{
  PngRecipe s;
  s.samples = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 40};
  return s;
}

std::string tempPath(const char* name)
{
  return ::testing::TempDir() + name;
}
} // namespace

TEST(LoadPNG, ConvertsEveryFormatToArgbWords)
{
  struct Case
  {
    const char* what;
    PngRecipe recipe;
    std::vector<LICE_pixel> expected; // row by row
  };
  PngRecipe palette;
  palette.colorType = 3;
  palette.palette = {255, 0, 0, 0, 0, 255};
  palette.paletteAlpha = {255, 64};
  palette.samples = {0, 1, 1, 0};

  PngRecipe gray16;
  gray16.colorType = 0;
  gray16.bitDepth = 16;
  gray16.samples = {0x0000, 0xFFFF, 0x8012, 0x7FFF};

  PngRecipe gray2;
  gray2.colorType = 0;
  gray2.bitDepth = 2;
  gray2.width = 4;
  gray2.height = 1;
  gray2.samples = {0, 1, 2, 3};

  PngRecipe rgb;
  rgb.colorType = 2;
  rgb.samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 250, 251, 252};

  PngRecipe rgbKey = rgb;
  rgbKey.hasTransparentColor = true;
  rgbKey.transparent[0] = 4;
  rgbKey.transparent[1] = 5;
  rgbKey.transparent[2] = 6;

  PngRecipe grayAlpha;
  grayAlpha.colorType = 4;
  grayAlpha.samples = {100, 0, 200, 255, 0, 128, 255, 1};

  PngRecipe interlaced = rgba2x2();
  interlaced.interlaced = true;

  const Case cases[] = {
      {"palette with transparency", palette, {0xFFFF0000, 0x400000FF, 0x400000FF, 0xFFFF0000}},
      {"16-bit grey", gray16, {0xFF000000, 0xFFFFFFFF, 0xFF808080, 0xFF7F7F7F}},
      {"2-bit grey", gray2, {0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}},
      {"RGB without alpha", rgb, {0xFF010203, 0xFF040506, 0xFF070809, 0xFFFAFBFC}},
      {"RGB with a transparent colour", rgbKey, {0xFF010203, 0x00040506, 0xFF070809, 0xFFFAFBFC}},
      {"grey with alpha", grayAlpha, {0x00646464, 0xFFC8C8C8, 0x80000000, 0x01FFFFFF}},
      {"RGBA", rgba2x2(), {0xFFFF0000, 0x8000FF00, 0x000000FF, 0x280A141E}},
      {"interlaced RGBA", interlaced, {0xFFFF0000, 0x8000FF00, 0x000000FF, 0x280A141E}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    auto bm = load(fixtures::encode(c.recipe));
    ASSERT_NE(nullptr, bm);
    ASSERT_EQ(c.recipe.width, bm->getWidth());
    ASSERT_EQ(c.recipe.height, bm->getHeight());
    for (int y = 0; y < c.recipe.height; ++y)
      for (int x = 0; x < c.recipe.width; ++x)
        EXPECT_EQ(c.expected[y * c.recipe.width + x], LICE_GetPixel(bm.get(), x, y))
            << "pixel " << x << ", " << y;
  }
}

TEST(LoadPNG, DamagedOrHostileDataGivesNull)
{
  const std::vector<uint8_t> good = fixtures::encode(rgba2x2());
  ASSERT_NE(nullptr, load(good));

  std::vector<uint8_t> badCrc = good;
  const long idat = fixtures::findChunk(good, "IDAT");
  ASSERT_GT(idat, 0);
  badCrc[idat + 8] ^= 0x55; // first data byte; the chunk's checksum no longer matches

  std::vector<uint8_t> badHeaderCrc = good;
  badHeaderCrc[16] ^= 1; // the width, under IHDR's checksum

  std::vector<uint8_t> notPng = good;
  notPng[1] = 'X';

  struct Case
  {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"7 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 7)},
      {"8 bytes that are not a signature",
       std::vector<uint8_t>(notPng.begin(), notPng.begin() + 8)},
      {"signature only", std::vector<uint8_t>(good.begin(), good.begin() + 8)},
      {"cut inside the header", std::vector<uint8_t>(good.begin(), good.begin() + 20)},
      {"cut inside the image data", std::vector<uint8_t>(good.begin(), good.begin() + idat + 10)},
      {"cut before the image data", std::vector<uint8_t>(good.begin(), good.begin() + idat)},
      {"bad image data checksum", badCrc},
      {"bad header checksum", badHeaderCrc},
      {"wider than 16384", fixtures::headerOnly(16385, 1)},
      {"taller than 16384", fixtures::headerOnly(1, 16385)},
      {"enormous", fixtures::headerOnly(0x7FFFFFFF, 0x7FFFFFFF)},
      {"zero width", fixtures::headerOnly(0, 4)},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(nullptr, load(c.bytes));
  }
  EXPECT_EQ(nullptr, LICE_LoadPNGFromMemory(nullptr, 100));
}

TEST(LoadPNG, IntoAnExistingBitmap)
{
  const std::vector<uint8_t> png = fixtures::encode(rgba2x2());

  LICE_MemBitmap big(10, 10);
  EXPECT_EQ(&big, LICE_LoadPNGFromMemory(png.data(), png.size(), &big));
  EXPECT_EQ(2, big.getWidth());
  EXPECT_EQ(0x8000FF00u, LICE_GetPixel(&big, 1, 0));

  // A system bitmap keeps a wider row span when it shrinks; rows must still
  // land where the bitmap says they are.
  LICE_SysBitmap sys(8, 8);
  EXPECT_EQ(&sys, LICE_LoadPNGFromMemory(png.data(), png.size(), &sys));
  EXPECT_EQ(8, sys.getRowSpan());
  EXPECT_EQ(0x280A141Eu, LICE_GetPixel(&sys, 1, 1));

  // A bitmap that cannot take the size fails the load and is neither
  // deleted nor written.
  FixedBitmap fixed;
  PngRecipe wide = rgba2x2();
  wide.width = 1;
  wide.samples.resize(8);
  const std::vector<uint8_t> other = fixtures::encode(wide);
  EXPECT_EQ(nullptr, LICE_LoadPNGFromMemory(other.data(), other.size(), &fixed));
  EXPECT_EQ(std::vector<LICE_pixel>(4, 0xDEADBEEF), fixed.pixels);

  // A failed load into a caller's bitmap keeps the bitmap alive.
  LICE_MemBitmap keep(3, 3);
  EXPECT_EQ(nullptr, LICE_LoadPNGFromMemory(png.data(), png.size() - 30, &keep));
  LICE_FillRect(&keep, 0, 0, 1, 1, 0xFF123456, 1.0f, LICE_MODE_COPY);
}

TEST(LoadPNG, FromFileAndBackThroughTheWriter)
{
  LICE_MemBitmap picture(3, 2);
  const LICE_pixel pixels[6] = {0xFF000000, 0x80FF0000, 0x0000FF00,
                                0xFF0000FF, 0x01020304, 0xFFFFFFFF};
  for (int i = 0; i < 6; ++i)
    LICE_PutPixel(&picture, i % 3, i / 3, pixels[i], 1.0f, LICE_MODE_COPY);
  const std::string path = tempPath("kolvane_raster_roundtrip.png");
  // The default (smallest), the fastest, none, and levels zlib has not,
  // which are taken as the nearest it has: every one gives the pixels back.
  for (int level : {9, 1, 0, -3, 12})
  {
    SCOPED_TRACE(level);
    ASSERT_TRUE(level == 9 ? LICE_WritePNG(path.c_str(), &picture)
                           : LICE_WritePNG(path.c_str(), &picture, level));
    std::unique_ptr<LICE_IBitmap> back(LICE_LoadPNG(path.c_str()));
    ASSERT_NE(nullptr, back);
    ASSERT_EQ(3, back->getWidth());
    ASSERT_EQ(2, back->getHeight());
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(pixels[i], LICE_GetPixel(back.get(), i % 3, i / 3)) << i;
  }
  std::remove(path.c_str());

  EXPECT_EQ(nullptr, LICE_LoadPNG(tempPath("kolvane_no_such_file.png").c_str()));
  EXPECT_EQ(nullptr, LICE_LoadPNG(nullptr));

  // A file that is not a PNG reaches libpng unchecked and fails there.
  const std::string text = tempPath("kolvane_not_a_png.png");
  FILE* f = std::fopen(text.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  std::fputs("this is not a picture at all", f);
  std::fclose(f);
  EXPECT_EQ(nullptr, LICE_LoadPNG(text.c_str()));
  std::remove(text.c_str());

  EXPECT_FALSE(LICE_WritePNG(tempPath("no_such_folder/x.png").c_str(), &picture));
}

TEST(LoadPNG, FromAMissingResourceGivesNull)
{
  EXPECT_EQ(nullptr, LICE_LoadPNGFromResource(nullptr, 4242));
}
