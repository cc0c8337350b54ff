#pragma once

#include "IMidiMsg.h"
#include "WDL_TypedBuf.h"

// A growable queue of MIDI messages ordered by sample offset; messages with
// equal offsets stay in the order they were added.
//
// The pending records are buffer[front .. back-1]. Storage grows in steps of
// `grow` records (a multiple of 512) and is reused by compacting once records
// have been consumed, so a queue that is drained as fast as it is filled
// never allocates after construction.
//
// No locking inside: the owner serialises Add (host event delivery) with
// Peek/Remove (the audio callback).
class IMidiQueue
{
public:
  explicit IMidiQueue(int size);

  IMidiQueue(const IMidiQueue&) = delete;
  IMidiQueue& operator=(const IMidiQueue&) = delete;

  // Inserts a copy after every pending message with the same or a smaller
  // offset. A message that cannot be stored (out of memory) is dropped.
  void Add(const IMidiMsg* msg);
  // Consumes the record at Peek(). Only valid when not Empty().
  void Remove();
  // The oldest pending record. Only valid when not Empty().
  IMidiMsg* Peek() const;
  bool Empty() const { return front == back; }
  // Number of pending records.
  int Size() const { return back - front; }
  // Number of records the storage holds before it has to grow.
  int Capacity() const { return capacity; }

  // Sets every pending record's offset to 0, keeping their order: they all
  // become due at the first sample of the next block.
  void ResetOffsets();

  // Storage management: grow by one step (false when out of memory), move
  // the pending records to the start of the storage, round a size up to the
  // growth grid.
  bool Expand();
  void Compact();
  int Granulize(int size) const;

private:
  WDL_TypedBuf<IMidiMsg> buffer;
  int capacity = 0;
  int grow = 0;
  int front = 0;
  int back = 0;
};
