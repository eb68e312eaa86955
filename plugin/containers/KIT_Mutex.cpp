#include "plugin/containers/KIT_Mutex.h"

KIT_Mutex::KIT_Mutex()
{
  pthread_mutex_init(&mMutex, nullptr);
}

KIT_Mutex::~KIT_Mutex()
{
  pthread_mutex_destroy(&mMutex);
}

bool KIT_Mutex::IsHeldByCurrentThread() const
{
  return mOwned.load(std::memory_order_relaxed) &&
         pthread_equal(mOwner.load(std::memory_order_relaxed), pthread_self());
}

void KIT_Mutex::Enter()
{
  if (IsHeldByCurrentThread())
  {
    ++mCount;
    return;
  }
  pthread_mutex_lock(&mMutex);
  mOwner.store(pthread_self(), std::memory_order_relaxed);
  mOwned.store(true, std::memory_order_relaxed);
  mCount = 0;
}

bool KIT_Mutex::TryEnter()
{
  if (IsHeldByCurrentThread())
  {
    ++mCount;
    return true;
  }
  if (pthread_mutex_trylock(&mMutex) != 0) return false;
  mOwner.store(pthread_self(), std::memory_order_relaxed);
  mOwned.store(true, std::memory_order_relaxed);
  mCount = 0;
  return true;
}

void KIT_Mutex::Leave()
{
  // A leave from a thread that does not hold the mutex is a caller's error;
  // unlocking a system mutex from a non-owner is undefined, so it is ignored.
  if (!IsHeldByCurrentThread()) return;
  if (--mCount < 0)
  {
    mOwned.store(false, std::memory_order_relaxed);
    mCount = 0;
    pthread_mutex_unlock(&mMutex);
  }
}
