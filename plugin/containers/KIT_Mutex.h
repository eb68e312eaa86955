#pragma once

#include <pthread.h>

#include <atomic>

// A re-entrant mutex built on a plain system mutex: the owner enters again by
// counting. The owner field is read without the lock, which is sound because
// only the owning thread can find its own identifier there.
class KIT_Mutex
{
public:
  KIT_Mutex();
  ~KIT_Mutex();

  KIT_Mutex(const KIT_Mutex&) = delete;
  KIT_Mutex& operator=(const KIT_Mutex&) = delete;

  void Enter();
  // Enters only when that needs no waiting: the owner re-enters, any other
  // thread takes a free mutex. False (nothing held) when another thread owns it.
  // Never blocks, so an audio thread can use it.
  bool TryEnter();
  void Leave();

  // True when the calling thread holds the mutex (for assertions and tests).
  bool IsHeldByCurrentThread() const;

private:
  pthread_mutex_t mMutex;
  std::atomic<pthread_t> mOwner{0};
  std::atomic<bool> mOwned{false};
  int mCount = 0;
};

// Holds a KIT_Mutex for the lifetime of the scope, on every path out of it.
class KIT_MutexLock
{
public:
  explicit KIT_MutexLock(KIT_Mutex* m) : mMutex(m) { if (mMutex) mMutex->Enter(); }
  explicit KIT_MutexLock(KIT_Mutex& m) : mMutex(&m) { mMutex->Enter(); }
  ~KIT_MutexLock() { if (mMutex) mMutex->Leave(); }

  KIT_MutexLock(const KIT_MutexLock&) = delete;
  KIT_MutexLock& operator=(const KIT_MutexLock&) = delete;

private:
  KIT_Mutex* mMutex;
};
