#pragma once

// Text at a scale, on a platform that has fonts (FreeType on Linux, GDI on
// Windows): the one check every window's tests run on their own context.

#include "IGraphics.h"

#include <gtest/gtest.h>

#include <algorithm>

// A scalable context of the platform draws a line of text at 100 and at
// 200 %: at 200 % its ink is twice as wide and as tall and starts twice as
// far in, because the font has the scaled height (an enlarged 100 % text
// would pass the size but not look like this only by accident), while the
// extent MeasureIText gives stays the same in layout units.
inline void ExpectTextDrawnAtTheScaledHeight(IGraphics& graphics)
{
  struct Ink
  {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  };
  graphics.SetScalable(true);
  IText style(14, &COLOR_WHITE);
  style.mAlign = IText::kAlignNear;
  Ink ink[2];
  IRECT measured[2];
  for (int i = 0; i < 2; ++i)
  {
    graphics.SetUserScale(i == 0 ? 1.0 : 2.0);
    if (!graphics.GetDrawBitmap())
      graphics.PrepDraw();
    LICE_IBitmap* back = graphics.GetDrawBitmap();
    LICE_Clear(back, 0xFF000000);
    IRECT where(20, 20, 280, 60);
    ASSERT_TRUE(graphics.DrawIText(&style, "Hamburgefonts", &where));
    for (int y = 0; y < back->getHeight(); ++y)
      for (int x = 0; x < back->getWidth(); ++x)
        if ((LICE_GetPixel(back, x, y) & 0xFFFFFF) != 0)
        {
          ink[i].left = std::min(ink[i].left, x);
          ink[i].top = std::min(ink[i].top, y);
          ink[i].right = std::max(ink[i].right, x);
          ink[i].bottom = std::max(ink[i].bottom, y);
        }
    measured[i] = IRECT(20, 20, 280, 60);
    ASSERT_TRUE(graphics.MeasureIText(&style, "Hamburgefonts", &measured[i]));
  }
  ASSERT_GE(ink[0].right, 0) << "no text drawn";
  const double width[2] = {ink[0].right - ink[0].left + 1.0, ink[1].right - ink[1].left + 1.0};
  const double height[2] = {ink[0].bottom - ink[0].top + 1.0, ink[1].bottom - ink[1].top + 1.0};
  EXPECT_NEAR(2.0, width[1] / width[0], 0.15) << width[0] << " and " << width[1] << " wide";
  EXPECT_NEAR(2.0, height[1] / height[0], 0.25) << height[0] << " and " << height[1] << " tall";
  EXPECT_NEAR(2 * ink[0].left, ink[1].left, 3);
  EXPECT_NEAR(measured[0].W(), measured[1].W(), 3) << "the extent in layout units";
  EXPECT_NEAR(measured[0].H(), measured[1].H(), 2);
}
