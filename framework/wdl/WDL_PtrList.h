#pragma once

#include <cstddef>
#include <vector>

// A growable list of pointers. Reading an index out of range gives null;
// the list owns its items only where a call says so (wantDelete).
template <class T> class WDL_PtrList
{
public:
  WDL_PtrList() = default;
  WDL_PtrList(const WDL_PtrList&) = delete;
  WDL_PtrList& operator=(const WDL_PtrList&) = delete;

  int GetSize() const { return static_cast<int>(mItems.size()); }
  T* Get(int idx) const
  {
    return idx >= 0 && idx < GetSize() ? mItems[static_cast<size_t>(idx)] : nullptr;
  }
  T* Add(T* item)
  {
    mItems.push_back(item);
    return item;
  }
  // Inserts at idx, clamped into 0..size.
  T* Insert(int idx, T* item)
  {
    if (idx < 0)
    {
      idx = 0;
    }
    if (idx > GetSize())
    {
      idx = GetSize();
    }
    mItems.insert(mItems.begin() + idx, item);
    return item;
  }
  // Replaces the item at idx (deleting the old one when asked); out of
  // range does nothing.
  void Set(int idx, T* item, bool wantDelete = false)
  {
    if (idx < 0 || idx >= GetSize())
    {
      return;
    }
    if (wantDelete)
    {
      delete mItems[static_cast<size_t>(idx)];
    }
    mItems[static_cast<size_t>(idx)] = item;
  }
  void Delete(int idx, bool wantDelete = false)
  {
    if (idx < 0 || idx >= GetSize())
    {
      return;
    }
    if (wantDelete)
    {
      delete mItems[static_cast<size_t>(idx)];
    }
    mItems.erase(mItems.begin() + idx);
  }
  void Empty(bool wantDelete = false)
  {
    if (wantDelete)
    {
      for (T* item : mItems)
      {
        delete item;
      }
    }
    mItems.clear();
  }
  int Find(const T* item) const
  {
    for (int i = 0; i < GetSize(); ++i)
    {
      if (mItems[static_cast<size_t>(i)] == item)
      {
        return i;
      }
    }
    return -1;
  }

private:
  std::vector<T*> mItems;
};
