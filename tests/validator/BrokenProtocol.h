#pragma once

#include <cstring>

// The faults the broken fixture plug-in can be built to have, one at a
// time, shared by the fixture and the validator's tests.
enum BrokenFault
{
  kFaultUnknown = -2,
  kFaultNone = 0,
  kFaultStickyNan,       // one non-finite input sample poisons every block after it
  kFaultDenormals,       // a decaying state lingers as subnormal numbers
  kFaultUnbounded,       // at the top of its gain range ("Loud") it grows without bound
  kFaultStringOverrun,   // texts written whole, past the host's field sizes
  kFaultOddRate,         // a sample rate of 0 or NaN divides its filter by it
  kFaultUnwrittenFrames, // blocks longer than announced are written only in part
  kFaultChunkTrust,      // chunks are read without checking size, magic or values
  kFaultChunkLossy,      // the state leaves out the third parameter and the names
  kFaultEventOffsets,    // an event outside the coming block ruins the block
  kFaultTimeInfo,        // the tempo and time signature divide unchecked
  kFaultRace,            // no lock: a call during a block tears it
  kFaultSlowDispatch,    // effGetChunk takes 150 ms while holding the lock
  kFaultLeak,            // every instance leaves 4 KiB behind
  kFaultAutomation,      // a block of exactly 32 frames divides by zero
  kFaultEditorNoRect,    // the open editor has no rectangle
  kFaultCrash,           // asked for a parameter's name, it crashes (a raised SIGSEGV)
  kFaultHang,            // asked for its vendor, it never answers
};

struct BrokenFaultName
{
  BrokenFault fault;
  const char* name;
};

const BrokenFaultName kBrokenFaultNames[] = {
    {kFaultNone, "none"},
    {kFaultStickyNan, "sticky-nan"},
    {kFaultDenormals, "denormals"},
    {kFaultUnbounded, "unbounded"},
    {kFaultStringOverrun, "string-overrun"},
    {kFaultOddRate, "odd-rate"},
    {kFaultUnwrittenFrames, "unwritten-frames"},
    {kFaultChunkTrust, "chunk-trust"},
    {kFaultChunkLossy, "chunk-lossy"},
    {kFaultEventOffsets, "event-offsets"},
    {kFaultTimeInfo, "time-info"},
    {kFaultRace, "race"},
    {kFaultSlowDispatch, "slow-dispatch"},
    {kFaultLeak, "leak"},
    {kFaultAutomation, "automation"},
    {kFaultEditorNoRect, "editor-no-rect"},
    {kFaultCrash, "crash"},
    {kFaultHang, "hang"},
};

inline BrokenFault BrokenFaultNamed(const char* name)
{
  for (const BrokenFaultName& entry : kBrokenFaultNames)
    if (name && std::strcmp(name, entry.name) == 0)
      return entry.fault;
  return kFaultUnknown;
}

// The fixture's export that chooses the fault of the instances made after
// it: int KolvaneBrokenSelectFault(const char* name), 0 for an unknown name.
typedef int (*BrokenSelectFaultProc)(const char* name);
#define KOLVANE_BROKEN_SELECT_FAULT "KolvaneBrokenSelectFault"
