// The core's threads and timers, and the real host under concurrent clients;
// under ThreadSanitizer a race ends the sanitized host with a failing status.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "host/host_options.h"
#include "host/timer_queue.h"
#include "host/worker_pool.h"
#include "host_process.h"

namespace kel::host::testing {
namespace {

using namespace std::chrono_literals;

Job Counting(JobKind kind, std::atomic<int>& ran, std::atomic<int>& dropped) {
  return Job{kind, [&ran] { ++ran; }, [&dropped] { ++dropped; }};
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
    ASSERT_TRUE(WaitFor([&] { return inside.load() == 4; }, 10s));
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
  EXPECT_TRUE(WaitFor([&] { return ran.load() == 2; }, 10s));
  pool.Close();
  EXPECT_EQ(pool.Counters().ran_pumped, 1u);
}

TEST_F(HeldPool, ClosingDropsQueuedJobsWaitsForRunningOnesAndRefusesNewOnes) {
  for (int i = 0; i < 3; ++i) pool.Submit(Counting(JobKind::kEvent, ran, dropped));
  std::thread closer([&] { pool.Close(); });
  EXPECT_TRUE(WaitFor([&] { return dropped.load() == 3; }, 10s));
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

TEST(HostConcurrency, ReadersMessagesAndConfigurationChangesAtOnceThenAStop) {
  HostProcess host({"--login-delay-ms", "0"});
  const std::string list = InventoryRoutes()[0];
  std::atomic<bool> stop{false}, stopping{false};
  std::atomic<int> bad{0};
  std::atomic<int> listsRead{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 8; ++i) {
    readers.emplace_back([&, counters = i % 4 == 3] {
      while (!stop.load()) {
        const JsonReply reply = host.Get(counters ? "/host/v1/counters" : list);
        // Before publication the plug-in answers 404; never anything else,
        // never broken JSON, until the host is told to stop.
        if (reply.status == 200 && (counters ? reply.value.IsStructure() : reply.value.IsCollection())) {
          listsRead += counters ? 0 : 1;
        } else if (!stopping.load() && (counters || reply.status != 404 || !reply.value.IsStructure())) {
          ++bad;
        }
      }
    });
  }
  // Each change returns once the plug-in has taken it, so the rounds go at
  // the plug-in's pace while the readers keep it busy.
  const auto change = [&](const char* method, const std::string& path, const std::string& body = "") {
    EXPECT_EQ(host.Send(method, path, body).status, 200) << path;
  };
  for (int round = 0; round < 6; ++round) {
    change("POST", "/host/v1/messages/store-fulfillment",
           R"({"inventoryType": "CHAMPION", "data": {"championId": 1, "owned": true}})");
    change("POST", "/host/v1/messages/dynamic-configuration");
    change("PUT", "/host/v1/resources/kel-platform-config/v1/namespaces/ClientSystemStates/inactiveChampionIdList",
           round % 2 == 0 ? "[1, 2]" : "[]");
    change("PUT", "/host/v1/resources/kel-summoner/v1/current-summoner",
           R"({"summonerLevel": )" + std::to_string(round * 7) + "}");
  }
  EXPECT_TRUE(WaitFor([&] { return listsRead.load() >= 8; }, Patience(std::chrono::milliseconds(60000))));
  host.Send("POST", "/host/v1/reconnect");
  host.Send("POST", "/host/v1/messages/dynamic-configuration");
  stopping = true;
  EXPECT_EQ(host.Stop(), 0) << host.Output();
  stop = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(host.Output().find("Sanitizer"), std::string::npos) << host.Output();
}

}  // namespace
}  // namespace kel::host::testing
