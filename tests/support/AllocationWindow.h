#pragma once

// Counts the heap allocations made while a window is open. An executable
// that links kolvane_test_allocations has every operator new replaced by
// one that counts: the audio path must not touch the heap, since a
// processing call that allocates can block on the allocator's lock and miss
// the host's deadline.
class AllocationWindow
{
public:
  AllocationWindow();
  ~AllocationWindow();
  AllocationWindow(const AllocationWindow&) = delete;
  AllocationWindow& operator=(const AllocationWindow&) = delete;

  // Allocations since the window opened.
  long Count() const;
};
