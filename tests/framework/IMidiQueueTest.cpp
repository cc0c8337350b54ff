#include "IMidiQueue.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{
// Drains the queue into (offset, data1) pairs.
std::vector<std::pair<int, int>> drain(IMidiQueue& queue)
{
  std::vector<std::pair<int, int>> out;
  while (!queue.Empty())
  {
    out.emplace_back(queue.Peek()->offset, queue.Peek()->data1);
    queue.Remove();
  }
  return out;
}

void add(IMidiQueue& queue, int offset, int tag)
{
  IMidiMsg msg(offset, 0x90, static_cast<unsigned char>(tag), 100);
  queue.Add(&msg);
}
} // namespace

TEST(IMidiQueue, OrdersByOffsetKeepingArrivalOrderForTies)
{
  IMidiQueue queue(1024);
  add(queue, 5, 1);
  add(queue, 3, 2);
  add(queue, 3, 3);
  add(queue, 9, 4);
  add(queue, 3, 5);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{3, 2}, {3, 3}, {3, 5}, {5, 1}, {9, 4}}),
            drain(queue));
}

TEST(IMidiQueue, EarlierMessageGoesBeforeTheFront)
{
  IMidiQueue queue(1024);
  add(queue, 3, 1);
  add(queue, 4, 2);
  queue.Remove();
  add(queue, 2, 3); // earlier than everything pending, and a consumed slot lies below
  EXPECT_EQ((std::vector<std::pair<int, int>>{{2, 3}, {4, 2}}), drain(queue));
}

TEST(IMidiQueue, GrowsInStepsAndCompactsBeforeGrowing)
{
  IMidiQueue queue(1024);
  EXPECT_EQ(1024, queue.Capacity());
  for (int i = 0; i < 1025; ++i)
  {
    add(queue, i, i & 0x7F);
  }
  EXPECT_EQ(2048, queue.Capacity());
  for (int i = 1025; i < 2049; ++i)
  {
    add(queue, i, i & 0x7F);
  }
  EXPECT_EQ(3072, queue.Capacity());

  // Full again, but with consumed records at the front: compact, don't grow.
  for (int i = 2049; i < 3072; ++i)
  {
    add(queue, i, i & 0x7F);
  }
  queue.Remove();
  queue.Remove();
  add(queue, 5000, 1);
  EXPECT_EQ(3072, queue.Capacity());
  EXPECT_EQ(3071, queue.Size());
  EXPECT_EQ(2, queue.Peek()->offset);
}

TEST(IMidiQueue, Granulize)
{
  IMidiQueue queue(1);
  const std::pair<int, int> cases[] = {
      {1024, 1024}, {1000, 1024}, {1, 512}, {512, 512}, {513, 1024}};
  for (const auto& c : cases)
  {
    EXPECT_EQ(c.second, queue.Granulize(c.first)) << c.first;
  }
  EXPECT_EQ(512, queue.Capacity());
}

TEST(IMidiQueue, ResetOffsetsMakesEverythingDueInOrder)
{
  IMidiQueue queue(512);
  add(queue, 7, 1);
  add(queue, 2, 2);
  add(queue, 30, 3);
  queue.ResetOffsets();
  add(queue, 0, 4); // a message of the next block at its first sample
  add(queue, 1, 5);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 2}, {0, 1}, {0, 3}, {0, 4}, {1, 5}}),
            drain(queue));
}
