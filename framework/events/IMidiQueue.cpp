#include "IMidiQueue.h"

#include <cstring>

IMidiQueue::IMidiQueue(int size) : grow(Granulize(size))
{
  Expand();
}

int IMidiQueue::Granulize(int size) const
{
  const int kGrid = 512;
  if (size <= 0)
  {
    return kGrid;
  }
  return (size + kGrid - 1) / kGrid * kGrid;
}

bool IMidiQueue::Expand()
{
  if (grow <= 0)
  {
    return false;
  }
  int newCapacity = (capacity / grow + 1) * grow;
  if (!buffer.Resize(newCapacity))
  {
    return false;
  }
  capacity = newCapacity;
  return true;
}

void IMidiQueue::Compact()
{
  back -= front;
  if (back > 0)
  {
    IMidiMsg* items = buffer.Get();
    std::memmove(items, items + front, static_cast<size_t>(back) * sizeof(IMidiMsg));
  }
  front = 0;
}

void IMidiQueue::Add(const IMidiMsg* msg)
{
  if (back >= capacity)
  {
    if (front > 0)
    {
      Compact();
    }
    else if (!Expand())
    {
      return;
    }
  }

  IMidiMsg* items = buffer.Get();
  if (!Empty() && msg->offset < items[back - 1].offset)
  {
    // Search down for the last record that is not later than msg; msg goes
    // right after it.
    int i = back - 2;
    while (i >= front && msg->offset < items[i].offset)
    {
      --i;
    }
    int at = i + 1;
    std::memmove(items + at + 1, items + at, static_cast<size_t>(back - at) * sizeof(IMidiMsg));
    items[at] = *msg;
  }
  else
  {
    items[back] = *msg;
  }
  ++back;
}

void IMidiQueue::Remove()
{
  ++front;
}

IMidiMsg* IMidiQueue::Peek() const
{
  return const_cast<IMidiMsg*>(buffer.Get()) + front;
}

void IMidiQueue::ResetOffsets()
{
  IMidiMsg* items = buffer.Get();
  for (int i = front; i < back; ++i)
  {
    items[i].offset = 0;
  }
}
