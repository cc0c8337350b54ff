#include "BarePlug.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace
{
ByteChunk Doubles(const std::vector<double>& values)
{
  ByteChunk chunk;
  for (double value : values)
  {
    chunk.Put(&value);
  }
  return chunk;
}

double DoubleAt(const ByteChunk& chunk, int pos)
{
  double value = 0;
  EXPECT_GE(chunk.Get(&value, pos), 0);
  return value;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
} // namespace

TEST(IPlugState, SerializeParamsWritesOneRealValuePerParameter)
{
  TypedPlug plug;
  plug.SetNonDefaults();
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializeParams(&chunk));
  ASSERT_EQ(8 * TypedPlug::kNumParams, chunk.Size());
  for (int i = 0; i < TypedPlug::kNumParams; ++i)
  {
    EXPECT_EQ(plug.GetParam(i)->Value(), DoubleAt(chunk, 8 * i)) << i;
  }
  // Little-endian doubles: 1.5 is 0x3FF8000000000000.
  const uint8_t gain[8] = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
  EXPECT_EQ(0, std::memcmp(gain, chunk.GetBytes(), 8));
}

TEST(IPlugState, RoundTripIntoAFreshInstance)
{
  TypedPlug source(4, false, 3);
  source.SetNonDefaults();
  ByteChunk chunk;
  InitChunkWithIPlugVer(&chunk);
  ASSERT_TRUE(source.SerializeState(&chunk));
  EXPECT_EQ(8 + 8 * source.NParams(), chunk.Size());

  TypedPlug fresh(4, false, 3);
  ASSERT_NE(source.Values(), fresh.Values());
  int pos = 0;
  EXPECT_EQ(IPLUG_CHUNK_VERSION, GetIPlugVerFromChunk(&chunk, &pos));
  EXPECT_EQ(8, pos);
  EXPECT_EQ(chunk.Size(), fresh.UnserializeState(&chunk, pos));
  EXPECT_EQ(source.Values(), fresh.Values());
  std::vector<int> all;
  for (int i = 0; i < fresh.NParams(); ++i)
  {
    all.push_back(i);
  }
  EXPECT_EQ(all, fresh.mParamChanges);
}

TEST(IPlugState, VersionHeaderOpensTheChunk)
{
  ByteChunk chunk;
  const uint8_t junk[3] = {1, 2, 3};
  chunk.PutBytes(junk, 3);
  InitChunkWithIPlugVer(&chunk); // starts over
  const uint8_t expected[8] = {'t', 'f', 'f', 'p', 0x00, 0x00, 0x01, 0x00};
  ASSERT_EQ(8, chunk.Size());
  EXPECT_EQ(0, std::memcmp(expected, chunk.GetBytes(), 8));
}

TEST(IPlugState, HeaderIsFoundOnlyWhereItIs)
{
  struct Case
  {
    const char* what;
    std::vector<uint8_t> bytes;
    int startPos;
    int version;
    int posAfter;
  };
  const Case cases[] = {
      {"header", {'t', 'f', 'f', 'p', 0, 0, 1, 0, 9}, 0, 0x10000, 8},
      {"header further in", {7, 7, 't', 'f', 'f', 'p', 3, 2, 1, 0}, 2, 0x00010203, 10},
      {"no magic", {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}, 0, 0, 0},
      {"magic without a version", {'t', 'f', 'f', 'p', 0, 0}, 0, 0, -1},
      {"too short for the magic", {'t', 'f'}, 0, 0, 0},
      {"empty", {}, 0, 0, 0},
      {"negative position", {'t', 'f', 'f', 'p', 0, 0, 1, 0}, -1, 0, -1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    ByteChunk chunk;
    chunk.PutBytes(c.bytes.data(), static_cast<int>(c.bytes.size()));
    int pos = c.startPos;
    EXPECT_EQ(c.version, GetIPlugVerFromChunk(&chunk, &pos));
    EXPECT_EQ(c.posAfter, pos);
  }
}

TEST(IPlugState, DataWithoutHeaderIsReadFromItsStart)
{
  TypedPlug plug;
  ByteChunk chunk = Doubles({0.5, 1, 1, 3, 0.75});
  int pos = 0;
  EXPECT_EQ(0, GetIPlugVerFromChunk(&chunk, &pos));
  EXPECT_EQ(40, plug.UnserializeParams(&chunk, pos));
  EXPECT_EQ((std::vector<double>{0.5, 1, 1, 3, 0.75}), plug.Values());
}

TEST(IPlugState, StoredValuesAreClampedIntoTheRange)
{
  TypedPlug plug;
  ByteChunk chunk = Doubles({5, -3, 0.2, 100, 0.5});
  plug.UnserializeParams(&chunk, 0);
  EXPECT_EQ((std::vector<double>{2, 0, 0.2, 16, 0.5}), plug.Values());
}

// Data that runs out part-way: what was read is applied, the parameter at
// which it ran out and all after it keep their values (setting that one to
// 0 would lose a value the data never held), every parameter is announced,
// and the result says the read failed.
TEST(IPlugState, RunningOutKeepsTheParameterWhereItRanOut)
{
  const std::vector<double> stored = {0.5, 1, 0, 3, 0.75};
  for (int whole = 0; whole < TypedPlug::kNumParams; ++whole)
  {
    for (int partial : {0, 3})
    {
      SCOPED_TRACE(testing::Message() << whole << " values and " << partial << " bytes");
      TypedPlug plug;
      plug.SetNonDefaults();
      const std::vector<double> before = plug.Values();
      ByteChunk chunk = Doubles(std::vector<double>(stored.begin(), stored.begin() + whole));
      const uint8_t extra[3] = {1, 2, 3};
      chunk.PutBytes(extra, partial);

      EXPECT_EQ(-1, plug.UnserializeParams(&chunk, 0));
      for (int i = 0; i < TypedPlug::kNumParams; ++i)
      {
        EXPECT_EQ(i < whole ? stored[i] : before[i], plug.GetParam(i)->Value()) << i;
      }
      EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), plug.mParamChanges);
    }
  }
}

TEST(IPlugState, NonFiniteStoredValuesLeaveTheirParameters)
{
  TypedPlug plug;
  plug.SetNonDefaults();
  ByteChunk chunk = Doubles({kNaN, 0, -kInf, 4, kInf});
  EXPECT_EQ(40, plug.UnserializeParams(&chunk, 0));
  EXPECT_EQ((std::vector<double>{1.5, 0, 1, 4, 0.25}), plug.Values());
}

TEST(IPlugState, NegativeStartReadsNothing)
{
  TypedPlug plug;
  plug.SetNonDefaults();
  const std::vector<double> before = plug.Values();
  ByteChunk chunk = Doubles({0, 0, 0, 1, 0.5});
  EXPECT_LT(plug.UnserializeParams(&chunk, -1), 0);
  EXPECT_EQ(before, plug.Values());
}

TEST(IPlugState, CompareStateAsFloatsAfterSkippedDoubles)
{
  TypedPlug plug;
  plug.SetNonDefaults();
  std::vector<double> stored = {-7, -7}; // two doubles skipped by startPos
  for (double value : plug.Values())
  {
    stored.push_back(value);
  }
  const unsigned char* data = reinterpret_cast<const unsigned char*>(stored.data());
  EXPECT_TRUE(plug.CompareState(data, 2));
  EXPECT_FALSE(plug.CompareState(data, 0));

  struct Case
  {
    const char* what;
    double cutoff;
    bool equal;
  };
  const Case cases[] = {
      {"identical", 0.25, true},
      {"below the tolerance", 0.25 + 2e-6, true},
      {"above the tolerance", 0.25 + 1e-4, false},
      {"not a number", kNaN, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    stored[2 + TypedPlug::kCutoff] = c.cutoff;
    EXPECT_EQ(c.equal, plug.CompareState(data, 2));
  }
}
