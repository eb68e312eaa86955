#include "plugin/containers/KIT_HeapBuf.h"
#include "plugin/containers/KIT_Mutex.h"
#include "plugin/containers/KIT_PtrList.h"
#include "plugin/containers/KIT_String.h"
#include "plugin/containers/KIT_StringKeyedArray.h"
#include "plugin/containers/KIT_TypedBuf.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

TEST(HeapBuf, GrowthFollowsGranularityRules)
{
  KIT_HeapBuf big(4096);
  EXPECT_EQ(big.Get(), nullptr);
  EXPECT_EQ(big.GetAllocated(), 0);
  void* p = big.Resize(10);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(big.GetAllocated(), 4000);
  EXPECT_EQ(big.Resize(3000), p) << "growing inside the allocation must not move memory";
  EXPECT_EQ(big.GetAllocated(), 4000);

  KIT_HeapBuf small(128);
  small.Resize(100);
  EXPECT_EQ(small.GetAllocated(), 228);
  small.Resize(229);
  EXPECT_EQ(small.GetAllocated(), 357);
  EXPECT_EQ(small.GetSize(), 229);
}

TEST(HeapBuf, ShrinkOnlyWhenAskedAndPastThreshold)
{
  KIT_HeapBuf b(4096);
  b.Resize(300);
  b.Resize(5, false);
  EXPECT_EQ(b.GetAllocated(), 4000);
  b.Resize(300);
  b.Resize(5, true);
  EXPECT_EQ(b.GetAllocated(), 4000) << "threshold max(1, min(4000-16384, 2000)) is 1";
  EXPECT_EQ(b.GetSize(), 5);

  KIT_HeapBuf s(16);
  s.Resize(1000);
  const int before = s.GetAllocated();
  s.Resize(10, true);
  EXPECT_LT(s.GetAllocated(), before);
  s.Resize(0, true);
  EXPECT_EQ(s.GetAllocated(), 0);
  EXPECT_EQ(s.Get(), nullptr);
  EXPECT_EQ(s.Resize(-5), nullptr);
  EXPECT_EQ(s.GetSize(), 0);
}

TEST(HeapBuf, KeepsContentsAcrossReallocation)
{
  KIT_HeapBuf b(16);
  char* p = (char*)b.Resize(8);
  memcpy(p, "abcdefg", 8);
  p = (char*)b.Resize(100000);
  EXPECT_STREQ(p, "abcdefg");
}

TEST(HeapBuf, HugeSizesNeverOverflowThePlan)
{
  EXPECT_EQ(KIT_HeapBuf::PlanAllocation(INT_MAX, 4096, 0), INT_MAX);
  EXPECT_GE(KIT_HeapBuf::PlanAllocation(INT_MAX - 10, 128, 0), INT_MAX - 10);
  EXPECT_EQ(KIT_HeapBuf::PlanAllocation(0, 4096, 0), 0);
}

TEST(TypedBuf, RefusesByteCountsThatDoNotFit)
{
  KIT_TypedBuf<double> t;
  ASSERT_TRUE(t.TryResize(16));
  double* p = t.Get();
  p[15] = 1.5;
  EXPECT_FALSE(t.TryResize(INT_MAX / 4));
  EXPECT_EQ(t.GetSize(), 16) << "a refused resize keeps the old buffer";
  EXPECT_EQ(t.Get(), p);
  EXPECT_EQ(t.Get()[15], 1.5);
}

namespace {
int gDeleted = 0;
struct Counted
{
  int id;
  ~Counted() { gDeleted += id; }
};
std::string gOrder;
void RecordDelete(void* p)
{
  gOrder += std::to_string(((Counted*)p)->id);
  delete (Counted*)p;
}
}  // namespace

TEST(PtrList, InsertFindDeleteAndOwnership)
{
  KIT_PtrList<Counted> l;
  Counted *a = new Counted{1}, *b = new Counted{2}, *c = new Counted{3};
  l.Add(a);
  l.Add(c);
  l.Insert(1, b);
  l.Insert(99, nullptr);
  EXPECT_EQ(l.GetSize(), 4);
  EXPECT_EQ(l.Get(1), b);
  EXPECT_EQ(l.Get(4), nullptr);
  EXPECT_EQ(l.Get(-1), nullptr);
  EXPECT_EQ(l.Find(c), 2);
  EXPECT_EQ(l.Find((Counted*)&l), -1);
  l.Delete(3);
  gDeleted = 0;
  l.Delete(0, true);
  EXPECT_EQ(gDeleted, 1);
  EXPECT_EQ(l.Get(0), b);
  gOrder.clear();
  l.Empty(true, RecordDelete);
  EXPECT_EQ(gOrder, "32") << "owned entries are destroyed last to first";
  EXPECT_EQ(l.GetSize(), 0);
}

TEST(String, SetAppendInsert)
{
  KIT_String s;
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  s.Set("xyz");
  s.Insert("ab", 1);
  EXPECT_STREQ(s.Get(), "xabyz");
  s.Append("12345", 2);
  EXPECT_STREQ(s.Get(), "xabyz12");
  s.Insert("!", 100);
  EXPECT_STREQ(s.Get(), "xabyz12!");
  s.Set("hello", 3);
  EXPECT_STREQ(s.Get(), "hel");
  s.Set("");
  EXPECT_STREQ(s.Get(), "");
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
}

TEST(String, SelfReferenceIsSafe)
{
  KIT_String s("abcdefgh");
  s.Set(s.Get() + 3);
  EXPECT_STREQ(s.Get(), "defgh");
  s.Insert(s.Get(), 2);
  EXPECT_STREQ(s.Get(), "dedefghfgh");
  s.Append(s.Get());
  EXPECT_STREQ(s.Get(), "dedefghfghdedefghfgh");
  std::string longText(5000, 'q');
  s.Set(longText.c_str());
  s.Append(s.Get() + 4990);
  EXPECT_EQ(s.GetLength(), 5010);
}

TEST(StringKeyedArray, SortedReplaceAndDispose)
{
  static int disposed = 0;
  disposed = 0;
  {
    KIT_StringKeyedArray<int*> a([](int* p) { ++disposed; delete p; });
    a.Insert("Monaco", new int(1));
    a.Insert("Arial", new int(2));
    a.Insert("Helvetica Bold", new int(3));
    EXPECT_EQ(*a.Get("Arial"), 2);
    a.Insert("Arial", new int(4));
    EXPECT_EQ(disposed, 1);
    EXPECT_EQ(*a.Get("Arial"), 4);
    EXPECT_EQ(a.Get("Courier"), nullptr);
    const char* k = nullptr;
    a.Enumerate(0, &k);
    EXPECT_STREQ(k, "Arial");
    a.Enumerate(2, &k);
    EXPECT_STREQ(k, "Monaco");
    a.Delete("Monaco");
    EXPECT_EQ(a.GetSize(), 2);
    EXPECT_EQ(disposed, 2);
  }
  EXPECT_EQ(disposed, 4);
}

TEST(Mutex, ReentersForOwnerAndExcludesOthers)
{
  KIT_Mutex m;
  m.Enter();
  m.Enter();
  m.Enter();
  std::atomic<bool> got{false};
  std::thread other([&] {
    m.Enter();
    got = true;
    m.Leave();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  m.Leave();
  m.Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(got) << "still held once";
  m.Leave();
  other.join();
  EXPECT_TRUE(got);
  EXPECT_FALSE(m.IsHeldByCurrentThread());
}

TEST(Mutex, GuardReleasesOnEveryPath)
{
  KIT_Mutex m;
  auto early = [&](bool leaveEarly) {
    KIT_MutexLock lock(m);
    if (leaveEarly) return 1;
    KIT_MutexLock again(m);
    return 2;
  };
  early(true);
  early(false);
  std::atomic<bool> got{false};
  std::thread t([&] {
    KIT_MutexLock lock(m);
    got = true;
  });
  t.join();
  EXPECT_TRUE(got);
}

// Catches a TryEnter that waits for another owner, that refuses the owner's own
// re-entry, or whose success leaves the count or the lock wrong for Leave.
TEST(Mutex, TryEnterNeverWaitsAndPairsWithLeave)
{
  KIT_Mutex m;
  ASSERT_TRUE(m.TryEnter());
  EXPECT_TRUE(m.TryEnter()) << "the owner re-enters";
  std::atomic<int> refused{-1};
  std::thread other([&] { refused = m.TryEnter() ? 0 : 1; });
  other.join();
  EXPECT_EQ(refused, 1) << "another thread is refused at once";
  m.Leave();
  EXPECT_TRUE(m.IsHeldByCurrentThread()) << "still held once";
  m.Leave();
  std::thread later([&] {
    refused = m.TryEnter() ? 0 : 1;
    if (refused == 0) m.Leave();
  });
  later.join();
  EXPECT_EQ(refused, 0) << "free again after the last Leave";
}

TEST(Mutex, CountsStayConsistentUnderContention)
{
  KIT_Mutex m;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i)
    {
      KIT_MutexLock outer(m);
      KIT_MutexLock inner(m);
      ++counter;
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 40000);
}

TEST(PtrList, ListsOfConstPointersCanBeEmptied)
{
  KIT_PtrList<const char> names;
  static const char* kA = "Tone";
  names.Add(kA);
  names.Add("Amp");
  names.Delete(0);
  names.Empty();
  EXPECT_EQ(names.GetSize(), 0);
  KIT_PtrList<const Counted> owned;
  gDeleted = 0;
  owned.Add(new Counted{5});
  owned.Empty(true);
  EXPECT_EQ(gDeleted, 5);
}
