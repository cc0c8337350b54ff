#include "ProcessMemory.h"

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#else
#include <cstddef>
#include <cstdio>
#include <malloc.h>
#include <time.h>
#include <unistd.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define KOLVANE_HOST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOLVANE_HOST_ASAN 1
#endif
#endif

#ifdef KOLVANE_HOST_ASAN
// The sanitizer's runtime exports it; GCC ships no header that declares it.
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

namespace vsthost
{

#ifdef _WIN32

long long HeapBytesInUse()
{
  // The C runtime may keep its own heap next to the process heap: walk
  // them all. A heap is locked while walked, so a block allocated by
  // another thread meanwhile is counted either whole or not at all.
  HANDLE heaps[256];
  const DWORD count = GetProcessHeaps(256, heaps);
  if (count == 0 || count > 256)
    return -1;
  long long total = 0;
  for (DWORD i = 0; i < count; ++i)
  {
    if (!HeapLock(heaps[i]))
      continue;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heaps[i], &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
        total += entry.cbData;
    HeapUnlock(heaps[i]);
  }
  return total;
}

long long ResidentBytes()
{
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
    return -1;
  return static_cast<long long>(counters.WorkingSetSize);
}

double ThreadCpuSeconds()
{
  FILETIME creation, exit, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user))
    return 0.0;
  auto ticks = [](const FILETIME& time)
  { return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime; };
  return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;
}

#else

long long HeapBytesInUse()
{
#ifdef KOLVANE_HOST_ASAN
  return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
#endif
}

long long ResidentBytes()
{
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm)
    return -1;
  long long size = 0, resident = 0;
  const int read = std::fscanf(statm, "%lld %lld", &size, &resident);
  std::fclose(statm);
  return read == 2 ? resident * sysconf(_SC_PAGESIZE) : -1;
}

double ThreadCpuSeconds()
{
  timespec now = {};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0)
    return 0.0;
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

#endif

} // namespace vsthost
