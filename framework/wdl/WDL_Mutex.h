#pragma once

#include <mutex>
#ifndef NDEBUG
#include <atomic>
#include <thread>
#endif

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
#ifndef NDEBUG
    if (mDepth++ == 0)
    {
      mOwner.store(std::this_thread::get_id());
    }
#endif
  }
  void Leave()
  {
#ifndef NDEBUG
    if (--mDepth == 0)
    {
      mOwner.store(std::thread::id());
    }
#endif
    mMutex.unlock();
  }

#ifndef NDEBUG
  // Debug builds: whether the calling thread holds the lock, for the checks
  // of entry points that expect their caller to hold it.
  bool HeldByThisThread() const
  {
    return mOwner.load() == std::this_thread::get_id();
  }
#endif

private:
  std::recursive_mutex mMutex;
#ifndef NDEBUG
  std::atomic<std::thread::id> mOwner{};
  int mDepth = 0; // touched only by the owner
#endif
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
