#include "WDL_String.h"

#include <gtest/gtest.h>

#include <string>

TEST(WDL_String, SetAndAppendWithABound)
{
  WDL_String s;
  s.Set("abcdef", 3);
  EXPECT_STREQ("abc", s.Get());
  s.Append("xy");
  EXPECT_STREQ("abcxy", s.Get());
  s.Append(nullptr);
  EXPECT_EQ(5, s.GetLength());
  s.Set(nullptr);
  EXPECT_STREQ("", s.Get());
  s.Append("a\0b", 3); // an embedded terminator ends the text
  EXPECT_STREQ("a", s.Get());
}

// Bytes read from a chunk or a host carry no terminator: a bounded copy
// must stop at the bound without looking at the byte after it.
TEST(WDL_String, BoundedAppendReadsNothingPastTheBound)
{
  const char unterminated[3] = {'a', 'b', 'c'};
  WDL_String s;
  s.Append(unterminated, 3);
  EXPECT_STREQ("abc", s.Get());
}

TEST(WDL_String, SetFormattedIsNeverCut)
{
  WDL_String s;
  s.SetFormatted("%s-%d", std::string(500, 'q').c_str(), 42);
  EXPECT_EQ(503, s.GetLength());
  s.SetFormatted("%s", "");
  EXPECT_STREQ("", s.Get());
}
