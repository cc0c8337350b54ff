#include "IPlugStructs.h"

#include <climits>

bool ByteChunk::Holds(int startPos, int n) const
{
  return startPos >= 0 && n >= 0 && n <= Size() - startPos;
}

int ByteChunk::PutBytes(const void* data, int n)
{
  int size = Size();
  if (n <= 0 || !data || n > INT_MAX - size)
  {
    return size;
  }
  uint8_t* bytes = mBytes.Resize(size + n);
  if (!bytes)
  {
    return size;
  }
  std::memcpy(bytes + size, data, static_cast<size_t>(n));
  return size + n;
}

int ByteChunk::GetBytes(void* dest, int n, int startPos) const
{
  if (!Holds(startPos, n) || (n > 0 && !dest))
  {
    return -1;
  }
  if (n > 0)
  {
    std::memcpy(dest, mBytes.Get() + startPos, static_cast<size_t>(n));
  }
  return startPos + n;
}

int ByteChunk::PutBool(bool b)
{
  uint8_t byte = b ? 1 : 0;
  return PutBytes(&byte, 1);
}

int ByteChunk::GetBool(bool* pB, int startPos) const
{
  uint8_t byte = 0;
  int pos = GetBytes(&byte, 1, startPos);
  if (pos >= 0)
  {
    *pB = byte != 0;
  }
  return pos;
}

int ByteChunk::PutStr(const char* str)
{
  int32_t n = str ? static_cast<int32_t>(std::strlen(str)) : 0;
  PutBytes(&n, sizeof n);
  return PutBytes(str, n);
}

int ByteChunk::GetStr(WDL_String* pStr, int startPos) const
{
  int32_t n = 0;
  int pos = Get(&n, startPos);
  if (pos < 0 || !Holds(pos, n))
  {
    return -1;
  }
  pStr->Set("");
  if (n > 0)
  {
    pStr->Append(reinterpret_cast<const char*>(mBytes.Get() + pos), n);
  }
  return pos + n;
}

int ByteChunk::PutChunk(const ByteChunk* other)
{
  if (other == this)
  {
    // Growing would move the bytes being copied: copy them first.
    ByteChunk copy;
    copy.PutBytes(GetBytes(), Size());
    return PutBytes(copy.GetBytes(), copy.Size());
  }
  return PutBytes(other->GetBytes(), other->Size());
}

int ByteChunk::Resize(int n)
{
  int old = Size();
  if (n < 0)
  {
    n = 0;
  }
  uint8_t* bytes = mBytes.Resize(n);
  if (bytes && n > old)
  {
    std::memset(bytes + old, 0, static_cast<size_t>(n - old));
  }
  return old;
}
