#pragma once

namespace vsthost
{

// What the process holds in memory, for leak and footprint measurements of
// plug-in instances loaded into it. [any thread]

// Bytes of heap handed out by the C runtime's allocator and not yet given
// back, allocator overhead excluded: grows by exactly what a leak keeps.
// Linux: the allocator's own count (the sanitizer's under AddressSanitizer);
// Windows: the busy blocks of every heap of the process. -1 when unknown.
long long HeapBytesInUse();

// Resident memory of the process in bytes (the working set on Windows);
// pages, so it moves in steps of the page size. -1 when unknown.
long long ResidentBytes();

// CPU time the calling thread has used, in seconds: unlike the wall clock,
// it does not count time the thread spent waiting for a core.
double ThreadCpuSeconds();

} // namespace vsthost
