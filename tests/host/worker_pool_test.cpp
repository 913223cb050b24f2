// The core's threads and timers: what runs where, what a pump may take, and
// that closing drops pending work but waits for running work.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <vector>

#include "host/timer_queue.h"
#include "host/worker_pool.h"

namespace kel::host {
namespace {

using namespace std::chrono_literals;

Job Counting(JobKind kind, std::atomic<int>& ran, std::atomic<int>& dropped) {
  return Job{kind, [&ran] { ++ran; }, [&dropped] { ++dropped; }};
}

TEST(WorkerPool, RunsJobsAtOnceOnSeveralThreads) {
  WorkerPool pool(4);
  std::promise<void> all_in;
  std::shared_future<void> gate = all_in.get_future().share();
  std::atomic<int> inside{0};
  for (int i = 0; i < 4; ++i) {
    pool.Submit(Job{JobKind::kRequest,
                    [&] {
                      if (++inside == 4) all_in.set_value();
                      gate.wait();
                    },
                    {}});
  }
  // Only four jobs running side by side can open the gate.
  EXPECT_EQ(gate.wait_for(10s), std::future_status::ready);
  pool.Close();
  EXPECT_EQ(pool.Counters().ran, 4u);
}

TEST(WorkerPool, APumpRunsRequestsAndTasksButLeavesEventsToTheWorkers) {
  WorkerPool pool(4);
  std::promise<void> release;
  std::shared_future<void> blocked = release.get_future().share();
  for (int i = 0; i < 4; ++i) pool.Submit(Job{JobKind::kTask, [blocked] { blocked.wait(); }, {}});
  std::atomic<int> ran{0}, dropped{0};
  pool.Submit(Counting(JobKind::kEvent, ran, dropped));
  pool.Submit(Counting(JobKind::kRequest, ran, dropped));
  // The four workers are busy: whatever runs now runs on this thread.
  while (pool.Counters().running < 4) std::this_thread::yield();
  EXPECT_TRUE(pool.RunOnePendingHere());
  EXPECT_EQ(ran.load(), 1);
  EXPECT_FALSE(pool.RunOnePendingHere());
  // Freed, the workers deliver the event.
  release.set_value();
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (ran.load() < 2 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  pool.Close();
  EXPECT_EQ(ran.load(), 2);
  EXPECT_EQ(pool.Counters().ran_pumped, 1u);
}

TEST(WorkerPool, ClosingDropsQueuedJobsWaitsForRunningOnesAndRefusesNewOnes) {
  WorkerPool pool(4);
  std::promise<void> release;
  std::shared_future<void> blocked = release.get_future().share();
  std::atomic<bool> finished{false};
  for (int i = 0; i < 4; ++i) {
    pool.Submit(Job{JobKind::kTask,
                    [blocked, &finished] {
                      blocked.wait();
                      std::this_thread::sleep_for(20ms);
                      finished = true;
                    },
                    {}});
  }
  std::atomic<int> ran{0}, dropped{0};
  for (int i = 0; i < 3; ++i) pool.Submit(Counting(JobKind::kEvent, ran, dropped));
  while (pool.Counters().running < 4) std::this_thread::yield();
  std::thread closer([&] { pool.Close(); });
  while (dropped.load() < 3) std::this_thread::yield();
  release.set_value();
  closer.join();
  EXPECT_TRUE(finished.load());  // Close returned only after the running jobs
  EXPECT_EQ(ran.load(), 0);
  EXPECT_FALSE(pool.Submit(Counting(JobKind::kTask, ran, dropped)));
  EXPECT_EQ(dropped.load(), 4);
}

TEST(TimerQueue, HandsJobsToThePoolInDueOrderAndDropsTheRestOnClose) {
  WorkerPool pool(4);
  TimerQueue timers(pool);
  std::mutex mutex;
  std::vector<int> order;
  std::promise<void> both;
  for (int i : {2, 1}) {
    timers.Schedule(i * 30ms, Job{JobKind::kTask,
                                  [&, i] {
                                    std::lock_guard lock(mutex);
                                    order.push_back(i);
                                    if (order.size() == 2) both.set_value();
                                  },
                                  {}});
  }
  std::atomic<int> ran{0}, dropped{0};
  timers.Schedule(1h, Counting(JobKind::kTask, ran, dropped));
  ASSERT_EQ(both.get_future().wait_for(10s), std::future_status::ready);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_EQ(timers.Pending(), 1u);
  timers.Close();
  EXPECT_EQ(dropped.load(), 1);
  timers.Schedule(0ms, Counting(JobKind::kTask, ran, dropped));
  pool.Close();
  EXPECT_EQ(ran.load(), 0);
  EXPECT_EQ(dropped.load(), 2);
}

}  // namespace
}  // namespace kel::host
