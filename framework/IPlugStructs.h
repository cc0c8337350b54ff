#pragma once

#include "ITimeInfo.h"
#include "WDL_String.h"
#include "WDL_TypedBuf.h"

#include <cstdint>
#include <cstring>

// A growable byte buffer for everything the plug-in persists. Values are
// stored in the processor's native order (little-endian on our targets).
//
// Every read takes a start position and returns the position after the
// value, or -1 when the position is negative or the value would run past
// the end; a failed read touches nothing and never reads outside the chunk.
class ByteChunk
{
public:
  template <class T> int Put(const T* pValue)
  {
    static_assert(sizeof(T) == 4 || sizeof(T) == 8, "int32, uint32 or double");
    return PutBytes(pValue, static_cast<int>(sizeof(T)));
  }
  template <class T> int Get(T* pValue, int startPos) const
  {
    static_assert(sizeof(T) == 4 || sizeof(T) == 8, "int32, uint32 or double");
    return GetBytes(pValue, static_cast<int>(sizeof(T)), startPos);
  }

  int PutBool(bool b);
  int GetBool(bool* pB, int startPos) const;

  // The length as int32, then the characters without terminator.
  int PutStr(const char* str);
  // Fails with -1, leaving pStr unchanged, when the length cannot be read,
  // is negative, or is longer than what remains.
  int GetStr(WDL_String* pStr, int startPos) const;

  int PutBytes(const void* data, int n);
  int GetBytes(void* dest, int n, int startPos) const;
  int PutChunk(const ByteChunk* other);

  // Sets the size; new bytes are zero. Returns the old size.
  int Resize(int n);
  void Clear() { mBytes.Resize(0); }
  int Size() const { return mBytes.GetSize(); }
  uint8_t* GetBytes() { return mBytes.Get(); }
  const uint8_t* GetBytes() const { return mBytes.Get(); }

private:
  // True when n bytes from startPos lie inside the chunk.
  bool Holds(int startPos, int n) const;

  WDL_TypedBuf<uint8_t> mBytes;
};

const int MAX_PRESET_NAME_LEN = 256;

// One preset slot: its name and its state as written by SerializeState.
struct IPreset
{
  IPreset() { std::strcpy(mName, "empty"); }

  bool mInitialized = false;
  char mName[MAX_PRESET_NAME_LEN];
  ByteChunk mChunk;
};
