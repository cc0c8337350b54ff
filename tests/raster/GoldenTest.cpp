// Drawing whose exact pixels are the implementation's own choice (shape
// rasterisation, anti-aliasing, filtering) is checked against expected
// pictures in golden/ (see GoldenImage.h):
//
//   KOLVANE_UPDATE_GOLDEN=1 build/linux/tests/raster/raster_tests --gtest_filter='Golden.*'

#include "GoldenImage.h"
#include "lice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace
{
void expectMatchesGolden(LICE_IBitmap* actual, const std::string& name)
{
  ExpectMatchesGolden(actual, std::string(KOLVANE_GOLDEN_DIR) + "/" + name + ".png", name);
}
} // namespace

TEST(Golden, Shapes)
{
  LICE_MemBitmap bm(120, 80);
  LICE_Clear(&bm, 0xFF202020);
  const LICE_pixel white = 0xFFFFFFFF, red = 0xFFFF4040, green = 0xFF40FF40, blue = 0xFF4080FF;
  // Lines in every octant, plain and anti-aliased, some running off the edge.
  for (int i = 0; i < 8; ++i)
  {
    const int dx[8] = {18, 18, 7, -7, -18, -18, -7, 7}, dy[8] = {7, -7, 18, 18, 7, -7, -18, -18};
    LICE_Line(&bm, 20, 20, 20 + dx[i], 20 + dy[i], white, 1.0f, LICE_MODE_COPY, i % 2 == 0);
  }
  LICE_Line(&bm, -10, 45, 30, 70, red, 1.0f, LICE_MODE_COPY, true);
  LICE_Line(&bm, 100, -5, 130, 30, red, 1.0f, LICE_MODE_COPY, false);
  // Circles, an arc from 12 to 3 o'clock, discs, half-transparent too.
  LICE_Circle(&bm, 60.0f, 20.0f, 12.0f, green, 1.0f, LICE_MODE_COPY, true);
  LICE_Circle(&bm, 60.0f, 20.0f, 8.0f, green, 1.0f, LICE_MODE_COPY, false);
  LICE_Arc(&bm, 95.0f, 20.0f, 12.0f, 0.0f, 1.5707963f, blue, 1.0f, LICE_MODE_COPY, true);
  LICE_FillCircle(&bm, 95.5f, 20.5f, 6.5f, red, 0.5f, LICE_MODE_COPY, true);
  LICE_FillCircle(&bm, 60.0f, 55.0f, 9.0f, blue, 1.0f, LICE_MODE_COPY, false);
  LICE_FillCircle(&bm, 117.0f, 77.0f, 10.0f, green, 1.0f, LICE_MODE_ADD, true);
  // A rounded outline, a triangle and a convex pentagon.
  LICE_RoundRect(&bm, 75.0f, 40.0f, 30.0f, 20.0f, 5, white, 1.0f, LICE_MODE_COPY, true);
  LICE_FillTriangle(&bm, 5, 75, 25, 50, 40, 78, green, 0.75f, LICE_MODE_COPY);
  const int px[5] = {80, 95, 100, 88, 76}, py[5] = {64, 63, 72, 79, 74};
  LICE_FillConvexPolygon(&bm, px, py, 5, blue, 1.0f, LICE_MODE_COPY);
  expectMatchesGolden(&bm, "shapes");
}

TEST(Golden, ScaledAndRotatedBlits)
{
  // A small two-frame sprite with soft alpha, drawn scaled, filtered,
  // mirrored and rotated over a grid.
  LICE_MemBitmap sprite(8, 16);
  LICE_Clear(&sprite, 0);
  LICE_FillRect(&sprite, 1, 1, 6, 6, 0xFFFFC040, 1.0f, LICE_MODE_COPY);
  LICE_FillRect(&sprite, 3, 0, 2, 4, 0x80FFFFFF, 1.0f, LICE_MODE_COPY);
  LICE_FillRect(&sprite, 0, 8, 8, 8, 0xFF40C0FF, 1.0f, LICE_MODE_COPY);

  LICE_MemBitmap bm(96, 48);
  LICE_Clear(&bm, 0xFF101010);
  for (int x = 0; x < 96; x += 6)
    LICE_Line(&bm, x, 0, x, 47, 0xFF303030, 1.0f, LICE_MODE_COPY, false);
  const int blend = LICE_MODE_COPY | LICE_FLAG_USE_ALPHA;
  LICE_ScaledBlit(&bm, &sprite, 2, 2, 20, 20, 0, 0, 8, 8, 1.0f, blend);
  LICE_ScaledBlit(&bm, &sprite, 26, 2, 20, 20, 0, 0, 8, 8, 1.0f, blend | LICE_FLAG_BILINEAR);
  LICE_ScaledBlit(&bm, &sprite, 50, 2, -20, 20, 0, 0, 8, 8, 1.0f, blend);
  LICE_ScaledBlit(&bm, &sprite, 74, 2, 5, 5, 0, 0, 8, 8, 1.0f, blend | LICE_FLAG_BILINEAR);
  LICE_RotatedBlit(&bm, &sprite, 2, 26, 20, 20, 0, 0, 8, 8, 0.5f, false, 1.0f, blend);
  LICE_RotatedBlit(&bm, &sprite, 26, 26, 20, 20, 0, 0, 8, 8, 2.0f, true, 1.0f,
                   blend | LICE_FLAG_BILINEAR);
  LICE_RotatedBlit(&bm, &sprite, 50, 26, 20, 20, 0, 0, 8, 8, 1.0f, true, 0.5f, blend, 2.0f, 0.0f);
  expectMatchesGolden(&bm, "blits");
}
