#pragma once

#include <mutex>

#if defined(__MINGW32__)
#include <pthread.h>
#endif

// A recursive lock: the thread holding it may enter again.
class WDL_Mutex
{
public:
  WDL_Mutex() = default;
#if defined(__MINGW32__)
  // MinGW's threads library builds the state of a statically initialised
  // mutex on its first lock, and the standard mutex relies on that static
  // initialisation and never destroys it: without this, every plug-in
  // instance would leave its lock's block on the heap after effClose.
  ~WDL_Mutex()
  {
    pthread_mutex_destroy(mMutex.native_handle());
  }
#endif
  WDL_Mutex(const WDL_Mutex&) = delete;
  WDL_Mutex& operator=(const WDL_Mutex&) = delete;

  void Enter()
  {
    mMutex.lock();
  }
  void Leave()
  {
    mMutex.unlock();
  }

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
