#include "AllocationWindow.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<bool> gCounting(false);
std::atomic<long> gAllocations(0);

void* CountedAllocate(std::size_t size)
{
  if (gCounting)
  {
    ++gAllocations;
  }
  void* p = std::malloc(size ? size : 1);
  if (!p)
  {
    throw std::bad_alloc();
  }
  return p;
}
} // namespace

AllocationWindow::AllocationWindow()
{
  gAllocations = 0;
  gCounting = true;
}

AllocationWindow::~AllocationWindow()
{
  gCounting = false;
}

long AllocationWindow::Count() const
{
  return gAllocations;
}

void* operator new(std::size_t size)
{
  return CountedAllocate(size);
}
void* operator new[](std::size_t size)
{
  return CountedAllocate(size);
}
void operator delete(void* p) noexcept
{
  std::free(p);
}
void operator delete[](void* p) noexcept
{
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
  std::free(p);
}
