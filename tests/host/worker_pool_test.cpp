// The core's threads and timers: what runs where, what a pump may take, and
// that closing drops pending work but waits for running work.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "host/timer_queue.h"
#include "host/worker_pool.h"

namespace kel::host {
namespace {

using namespace std::chrono_literals;

Job Counting(JobKind kind, std::atomic<int>& ran, std::atomic<int>& dropped) {
  return Job{kind, [&ran] { ++ran; }, [&dropped] { ++dropped; }};
}

bool Eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// Four workers, each held by a task until `release` is set (or dropped, when
// the test ends early).
class HeldPool : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 4; ++i) {
      pool.Submit(Job{JobKind::kTask,
                      [this, held = held] {
                        ++inside;
                        held.wait();
                        std::this_thread::sleep_for(20ms);
                        finished = true;
                      },
                      {}});
    }
    // Only four jobs running side by side get here.
    ASSERT_TRUE(Eventually([&] { return inside.load() == 4; }));
  }

  std::atomic<int> inside{0}, ran{0}, dropped{0};
  std::atomic<bool> finished{false};
  WorkerPool pool{4};
  std::promise<void> release;
  std::shared_future<void> held = release.get_future().share();
};

TEST_F(HeldPool, APumpRunsRequestsAndTasksButLeavesEventsToTheWorkers) {
  pool.Submit(Counting(JobKind::kEvent, ran, dropped));
  pool.Submit(Counting(JobKind::kRequest, ran, dropped));
  // The workers are busy: whatever runs now runs on this thread.
  EXPECT_TRUE(pool.RunOnePendingHere());
  EXPECT_EQ(ran.load(), 1);
  EXPECT_FALSE(pool.RunOnePendingHere());
  release.set_value();  // freed, the workers deliver the event
  EXPECT_TRUE(Eventually([&] { return ran.load() == 2; }));
  pool.Close();
  EXPECT_EQ(pool.Counters().ran_pumped, 1u);
}

TEST_F(HeldPool, ClosingDropsQueuedJobsWaitsForRunningOnesAndRefusesNewOnes) {
  for (int i = 0; i < 3; ++i) pool.Submit(Counting(JobKind::kEvent, ran, dropped));
  std::thread closer([&] { pool.Close(); });
  EXPECT_TRUE(Eventually([&] { return dropped.load() == 3; }));
  release.set_value();
  closer.join();
  EXPECT_TRUE(finished.load());  // Close returned only after the running jobs
  EXPECT_EQ(pool.Counters().ran, 4u);
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
