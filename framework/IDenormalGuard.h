#pragma once

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define KOLVANE_HAS_MXCSR 1
#endif

// Flush-to-zero and denormals-are-zero for the life of a processing call.
//
// After loud input followed by silence, filter and envelope states decay
// into subnormal numbers, which x86 handles many times slower: the host
// would see CPU spikes on silence. The host's own floating-point state is
// restored when the guard goes out of scope.
class IDenormalGuard
{
public:
#if KOLVANE_HAS_MXCSR
  IDenormalGuard() : mSaved(_mm_getcsr())
  {
    _mm_setcsr(mSaved | kFlushToZero | kDenormalsAreZero);
  }
  ~IDenormalGuard()
  {
    _mm_setcsr(mSaved);
  }
#else
  IDenormalGuard() = default;
#endif
  IDenormalGuard(const IDenormalGuard&) = delete;
  IDenormalGuard& operator=(const IDenormalGuard&) = delete;

private:
#if KOLVANE_HAS_MXCSR
  static const unsigned int kFlushToZero = 0x8000;
  static const unsigned int kDenormalsAreZero = 0x0040;
  unsigned int mSaved;
#endif
};
