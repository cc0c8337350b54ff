#pragma once

#include <cstddef>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

// A growable array of trivially copyable values, resized on demand.
//
// Resize keeps the existing contents (up to the new size) and reports running
// out of memory as a null result, leaving the buffer as it was: callers on
// the audio path can refuse an item instead of unwinding through the host.
template <class T> class WDL_TypedBuf
{
  static_assert(std::is_trivially_copyable<T>::value, "WDL_TypedBuf holds plain records");

public:
  T* Get() { return mItems.empty() ? nullptr : mItems.data(); }
  const T* Get() const { return mItems.empty() ? nullptr : mItems.data(); }
  int GetSize() const { return static_cast<int>(mItems.size()); }

  // Returns the storage after resizing to n items (n < 0 counts as 0); null
  // for an empty buffer or when memory ran out. A failed resize changes nothing.
  T* Resize(int n)
  {
    try
    {
      mItems.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    catch (const std::bad_alloc&)
    {
      return nullptr;
    }
    catch (const std::length_error&)
    {
      return nullptr;
    }
    return n > 0 ? mItems.data() : nullptr;
  }

private:
  std::vector<T> mItems;
};
