#pragma once

// Include in exactly one file of a test program.
//
// Allocation hooks: every malloc, calloc and realloc of the process is counted
// and can be made to fail, so the tests can prove that the audio path
// allocates nothing and that a failed resize changes nothing. The sanitizers
// own the allocator, so under them the hooks are left out and those tests skip.
//
// This is also the one place that tells whether a sanitizer runtime is in the
// process (kSanitized), for tests that cannot run under one, such as those
// limiting the address space. g++ announces its sanitizers with
// __SANITIZE_ADDRESS__ and __SANITIZE_THREAD__, clang only through
// __has_feature.
#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ORVANTA_NO_MALLOC_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ORVANTA_NO_MALLOC_HOOKS 1
#endif
#endif

namespace
{
#ifndef ORVANTA_NO_MALLOC_HOOKS
constexpr bool kSanitized = false;
#else
constexpr bool kSanitized = true;
#endif

std::atomic<long> gAllocs{0};
// Allocations still allowed before every further one fails; negative: no limit.
std::atomic<long> gAllowedAllocs{-1};

[[maybe_unused]] bool AllocationAllowed()
{
  ++gAllocs;
  long left = gAllowedAllocs.load();
  while (left >= 0)
  {
    if (left == 0) return false;
    if (gAllowedAllocs.compare_exchange_weak(left, left - 1)) return true;
  }
  return true;
}

constexpr bool kHooked = !kSanitized;

struct FailAfter
{
  explicit FailAfter(long n) { gAllowedAllocs = n; }
  ~FailAfter() { gAllowedAllocs = -1; }
};
}  // namespace

#ifndef ORVANTA_NO_MALLOC_HOOKS
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

extern "C" void* malloc(size_t n)
{
  return AllocationAllowed() ? __libc_malloc(n) : nullptr;
}
extern "C" void* calloc(size_t n, size_t s)
{
  return AllocationAllowed() ? __libc_calloc(n, s) : nullptr;
}
extern "C" void* realloc(void* p, size_t n)
{
  return AllocationAllowed() ? __libc_realloc(p, n) : nullptr;
}
#endif

