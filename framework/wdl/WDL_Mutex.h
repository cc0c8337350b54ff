#pragma once

#include <mutex>

// A recursive lock: the thread holding it may enter again.
class WDL_Mutex
{
public:
  void Enter() { mMutex.lock(); }
  void Leave() { mMutex.unlock(); }

private:
  std::recursive_mutex mMutex;
};

// Enters on construction, leaves on destruction.
class WDL_MutexLock
{
public:
  explicit WDL_MutexLock(WDL_Mutex* mutex) : mMutex(mutex)
  {
    if (mMutex)
    {
      mMutex->Enter();
    }
  }
  ~WDL_MutexLock()
  {
    if (mMutex)
    {
      mMutex->Leave();
    }
  }
  WDL_MutexLock(const WDL_MutexLock&) = delete;
  WDL_MutexLock& operator=(const WDL_MutexLock&) = delete;

private:
  WDL_Mutex* mMutex;
};
