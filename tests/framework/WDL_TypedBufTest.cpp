#include "WDL_TypedBuf.h"

#include <gtest/gtest.h>

TEST(WDL_TypedBuf, ResizeKeepsContents)
{
  WDL_TypedBuf<int> buf;
  EXPECT_EQ(nullptr, buf.Get());
  int* items = buf.Resize(3);
  ASSERT_NE(nullptr, items);
  items[0] = 1;
  items[1] = 2;
  items[2] = 3;
  items = buf.Resize(1000);
  ASSERT_NE(nullptr, items);
  EXPECT_EQ(1000, buf.GetSize());
  EXPECT_EQ(3, items[2]);
  buf.Resize(-5);
  EXPECT_EQ(0, buf.GetSize());
}
