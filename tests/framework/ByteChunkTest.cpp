#include "IPlugStructs.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
std::vector<uint8_t> Bytes(const ByteChunk& chunk)
{
  return std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

// A chunk holding a string length n and then `have` characters.
ByteChunk StringWithLength(int32_t n, int have)
{
  ByteChunk chunk;
  chunk.Put(&n);
  std::vector<char> text(static_cast<size_t>(have), 'z');
  chunk.PutBytes(text.data(), have);
  return chunk;
}
} // namespace

TEST(ByteChunk, TypedValuesRoundTripInOrder)
{
  ByteChunk chunk;
  int32_t i = -123456;
  uint32_t u = 0xDEADBEEF;
  double d = -0.1;
  const uint8_t raw[3] = {7, 8, 9};
  EXPECT_EQ(4, chunk.Put(&i));
  EXPECT_EQ(8, chunk.Put(&u));
  EXPECT_EQ(16, chunk.Put(&d));
  EXPECT_EQ(17, chunk.PutBool(true));
  EXPECT_EQ(18, chunk.PutBool(false));
  EXPECT_EQ(25, chunk.PutStr("abc"));
  EXPECT_EQ(29, chunk.PutStr(""));
  EXPECT_EQ(32, chunk.PutBytes(raw, 3));

  int32_t i2 = 0;
  uint32_t u2 = 0;
  double d2 = 0;
  bool b1 = false, b2 = true;
  WDL_String s1("old"), s2("old");
  uint8_t raw2[3] = {};
  int pos = chunk.Get(&i2, 0);
  EXPECT_EQ(4, pos);
  pos = chunk.Get(&u2, pos);
  EXPECT_EQ(8, pos);
  pos = chunk.Get(&d2, pos);
  EXPECT_EQ(16, pos);
  pos = chunk.GetBool(&b1, pos);
  pos = chunk.GetBool(&b2, pos);
  EXPECT_EQ(18, pos);
  pos = chunk.GetStr(&s1, pos);
  EXPECT_EQ(25, pos);
  pos = chunk.GetStr(&s2, pos);
  EXPECT_EQ(29, pos);
  pos = chunk.GetBytes(raw2, 3, pos);
  EXPECT_EQ(32, pos);

  EXPECT_EQ(i, i2);
  EXPECT_EQ(u, u2);
  EXPECT_EQ(d, d2);
  EXPECT_TRUE(b1);
  EXPECT_FALSE(b2);
  EXPECT_STREQ("abc", s1.Get());
  EXPECT_STREQ("", s2.Get()); // a stored empty string, not the previous text
  EXPECT_EQ(0, std::memcmp(raw, raw2, 3));
}

TEST(ByteChunk, LayoutIsLittleEndianWithLengthPrefixedStrings)
{
  ByteChunk chunk;
  int32_t i = 0x01020304;
  chunk.Put(&i);
  chunk.PutStr("hi");
  chunk.PutBool(true);
  EXPECT_EQ((std::vector<uint8_t>{4, 3, 2, 1, 2, 0, 0, 0, 'h', 'i', 1}), Bytes(chunk));
}

TEST(ByteChunk, AnyNonZeroByteReadsAsTrue)
{
  ByteChunk chunk;
  const uint8_t raw[2] = {0x80, 0};
  chunk.PutBytes(raw, 2);
  bool b = false;
  EXPECT_EQ(1, chunk.GetBool(&b, 0));
  EXPECT_TRUE(b);
  EXPECT_EQ(2, chunk.GetBool(&b, 1));
  EXPECT_FALSE(b);
}

// A read that would leave the chunk fails with -1 and leaves its destination.
TEST(ByteChunk, ReadsOutsideTheChunkFailAndTouchNothing)
{
  ByteChunk chunk;
  const uint8_t raw[6] = {1, 2, 3, 4, 5, 6};
  chunk.PutBytes(raw, 6);

  struct Case
  {
    int n;
    int startPos;
    int expected;
  };
  const Case cases[] = {
      {4, 0, 4},        {4, 2, 6},        {4, 3, -1}, {4, 6, -1}, {4, -1, -1}, {4, INT_MIN, -1},
      {8, 0, -1},       {1, 5, 6},        {1, 6, -1}, {0, 6, 6},  {0, 7, -1},  {-1, 0, -1},
      {INT_MAX, 1, -1}, {4, INT_MAX, -1}, {6, 0, 6},  {7, 0, -1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.n << " bytes at " << c.startPos);
    uint8_t dest[16];
    std::memset(dest, 0xEE, sizeof dest);
    // dest holds 16 bytes: every case that reads more must fail.
    EXPECT_EQ(c.expected, chunk.GetBytes(dest, c.n, c.startPos));
    if (c.expected < 0)
    {
      for (uint8_t byte : dest)
      {
        EXPECT_EQ(0xEE, byte);
      }
    }
  }

  int32_t i = 77;
  double d = 7.5;
  bool b = true;
  EXPECT_EQ(-1, chunk.Get(&i, 3));
  EXPECT_EQ(-1, chunk.Get(&d, 0));
  EXPECT_EQ(-1, chunk.GetBool(&b, 6));
  EXPECT_EQ(77, i);
  EXPECT_EQ(7.5, d);
  EXPECT_TRUE(b);
}

TEST(ByteChunk, ReadsFromAnEmptyChunkFail)
{
  ByteChunk chunk;
  int32_t i = 5;
  WDL_String s("keep");
  EXPECT_EQ(-1, chunk.Get(&i, 0));
  EXPECT_EQ(-1, chunk.GetStr(&s, 0));
  EXPECT_EQ(5, i);
  EXPECT_STREQ("keep", s.Get());
}

// A stored length that is negative, or longer than what follows, is a broken
// chunk: the read fails at once instead of pointing past the end.
TEST(ByteChunk, GetStrWithABadLengthFailsAndKeepsTheString)
{
  struct Case
  {
    const char* what;
    int32_t length;
    int have;
  };
  const Case cases[] = {
      {"negative", -1, 8},       {"very negative", INT32_MIN, 8},
      {"one too long", 5, 4},    {"far too long", INT32_MAX, 4},
      {"nothing follows", 1, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    ByteChunk chunk = StringWithLength(c.length, c.have);
    WDL_String s("previous");
    EXPECT_EQ(-1, chunk.GetStr(&s, 0));
    EXPECT_STREQ("previous", s.Get());
  }

  ByteChunk shortLength;
  const uint8_t three[3] = {1, 0, 0};
  shortLength.PutBytes(three, 3);
  WDL_String s("previous");
  EXPECT_EQ(-1, shortLength.GetStr(&s, 0));
  EXPECT_STREQ("previous", s.Get());
}

// The characters of a string stored last end exactly at the chunk's end;
// copying them must not look at the byte after them.
TEST(ByteChunk, StringStoredLastIsReadWithinTheChunk)
{
  ByteChunk chunk = StringWithLength(4, 4);
  WDL_String s("previous");
  EXPECT_EQ(8, chunk.GetStr(&s, 0));
  EXPECT_STREQ("zzzz", s.Get());
}

TEST(ByteChunk, PutStrOfNullStoresTheEmptyString)
{
  ByteChunk chunk;
  EXPECT_EQ(4, chunk.PutStr(nullptr));
  WDL_String s("previous");
  EXPECT_EQ(4, chunk.GetStr(&s, 0));
  EXPECT_STREQ("", s.Get());
}

// Bytes dropped by shrinking must not come back when the chunk grows again.
TEST(ByteChunk, ResizeZeroesWhatItAdds)
{
  ByteChunk chunk;
  const uint8_t raw[4] = {9, 9, 9, 9};
  chunk.PutBytes(raw, 4);
  EXPECT_EQ(4, chunk.Resize(1));
  EXPECT_EQ(1, chunk.Resize(6));
  EXPECT_EQ((std::vector<uint8_t>{9, 0, 0, 0, 0, 0}), Bytes(chunk));
  EXPECT_EQ(6, chunk.Resize(-3));
  EXPECT_EQ(0, chunk.Size());
}

TEST(ByteChunk, PutChunkAppendsAndClearEmpties)
{
  ByteChunk a, b;
  const uint8_t one[2] = {1, 2};
  const uint8_t two[3] = {3, 4, 5};
  a.PutBytes(one, 2);
  b.PutBytes(two, 3);
  EXPECT_EQ(5, a.PutChunk(&b));
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 5}), Bytes(a));
  ByteChunk empty;
  EXPECT_EQ(5, a.PutChunk(&empty));
  a.Clear();
  EXPECT_EQ(0, a.Size());
  EXPECT_EQ(0, a.PutBytes(nullptr, 4));
  EXPECT_EQ(0, a.PutBytes(one, -1));
}

TEST(IPreset, StartsEmptyAndUninitialized)
{
  IPreset preset;
  EXPECT_FALSE(preset.mInitialized);
  EXPECT_STREQ("empty", preset.mName);
  EXPECT_EQ(0, preset.mChunk.Size());
}

TEST(ITimeInfo, StartsAt120BeatsPerMinuteWithoutPosition)
{
  ITimeInfo info;
  EXPECT_EQ(120.0, info.mTempo);
  EXPECT_EQ(-1.0, info.mSamplePos);
  EXPECT_EQ(-1.0, info.mPPQPos);
  EXPECT_EQ(-1.0, info.mLastBar);
  EXPECT_EQ(-1.0, info.mCycleStart);
  EXPECT_EQ(-1.0, info.mCycleEnd);
  EXPECT_EQ(4, info.mNumerator);
  EXPECT_EQ(4, info.mDenominator);
  EXPECT_FALSE(info.mTransportIsRunning);
  EXPECT_FALSE(info.mTransportLoopEnabled);
}
