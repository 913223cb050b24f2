#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <thread>
#include <vector>

#include "runtime/allocation_hooks.h"

namespace kel::memory {
namespace {

// The packed record copied into an aligned one, so that its fields can be
// compared by reference.
struct Counters {
  uint64_t peak_bytes_in_use, allocations_at_peak, total_bytes_allocated, total_allocations, total_bytes_freed,
      total_frees;
};

Counters Read() {
  MemoryStats stats;
  ReadMemoryStats(stats);
  return {stats.peak_bytes_in_use, stats.allocations_at_peak, stats.total_bytes_allocated,
          stats.total_allocations, stats.total_bytes_freed,   stats.total_frees};
}

TEST(MemoryStats, CountsUsableSizesOfEveryKindOfAllocationAndThePeak) {
  const Counters before = Read();
  void* block = Allocate(100);
  const uint64_t block_size = malloc_usable_size(block);
  ASSERT_GE(block_size, 100u);
  char* copy = DuplicateString("twelve chars");
  const uint64_t copy_size = malloc_usable_size(copy);
  EXPECT_STREQ(copy, "twelve chars");
  void* grown = Reallocate(block, 5000);
  const uint64_t grown_size = malloc_usable_size(grown);
  Counters after = Read();
  EXPECT_EQ(after.total_allocations - before.total_allocations, 3u);
  EXPECT_EQ(after.total_bytes_allocated - before.total_bytes_allocated, block_size + copy_size + grown_size);
  EXPECT_EQ(after.total_frees - before.total_frees, 1u);
  EXPECT_EQ(after.total_bytes_freed - before.total_bytes_freed, block_size);
  const uint64_t in_use = after.total_bytes_allocated - after.total_bytes_freed;
  EXPECT_GE(after.peak_bytes_in_use, in_use);

  Release(grown);
  Release(copy);
  Release(nullptr);
  after = Read();
  EXPECT_EQ(after.total_frees - before.total_frees, 3u);
  EXPECT_EQ(after.total_bytes_freed - before.total_bytes_freed,
            after.total_bytes_allocated - before.total_bytes_allocated);

  // The peak keeps the highest use and the allocations outstanding then.
  void* big = Allocate(1 << 22);
  const Counters at_peak = Read();
  EXPECT_EQ(at_peak.peak_bytes_in_use, at_peak.total_bytes_allocated - at_peak.total_bytes_freed);
  EXPECT_EQ(at_peak.allocations_at_peak, at_peak.total_allocations - at_peak.total_frees);
  Release(big);
  void* small = Allocate(16);
  EXPECT_EQ(Read().peak_bytes_in_use, at_peak.peak_bytes_in_use);
  EXPECT_EQ(Read().allocations_at_peak, at_peak.allocations_at_peak);
  Release(small);
}

TEST(MemoryStats, CountsStayExactWhileOtherThreadsAllocate) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  const Counters before = Read();
  std::atomic<bool> done{false};
  std::thread reader([&] {
    Counters last = Read();
    while (!done) {
      const Counters now = Read();
      EXPECT_GE(now.total_allocations, last.total_allocations);
      EXPECT_GE(now.total_bytes_freed, last.total_bytes_freed);
      EXPECT_GE(now.peak_bytes_in_use, last.peak_bytes_in_use);
      last = now;
    }
  });
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([t] {
      for (int i = 0; i < kRounds; ++i) {
        void* block = Allocate(static_cast<size_t>(16 + (i + t) % 512));
        block = Reallocate(block, 600);
        Release(block);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  done = true;
  reader.join();
  const Counters after = Read();
  EXPECT_EQ(after.total_allocations - before.total_allocations, uint64_t{2} * kThreads * kRounds);
  EXPECT_EQ(after.total_frees - before.total_frees, uint64_t{2} * kThreads * kRounds);
  EXPECT_EQ(after.total_bytes_allocated - before.total_bytes_allocated,
            after.total_bytes_freed - before.total_bytes_freed);
}

}  // namespace
}  // namespace kel::memory
