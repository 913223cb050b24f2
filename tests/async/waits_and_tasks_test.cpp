#include "async/await.h"
#include "async/task_table.h"

#include <atomic>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "support/test_plugin.h"

namespace kel {
namespace {

using testing::HostFunction;

struct RecordingHost {
  std::vector<std::string> calls;
  void BeginWait(const char* label, uint32_t) { calls.push_back(label); }
  void PumpHost() { calls.push_back("pump"); }
  void EndWait() { calls.push_back("end"); }
};

TEST(Await, DeferredFutureRunsInsteadOfPumpingForever) {
  RecordingHost host;
  std::future<int> future = std::async(std::launch::deferred, [] { return 5; });
  EXPECT_EQ(AwaitFuture(host, future, "int"), 5);
  EXPECT_TRUE(host.calls.empty());
}

TEST(AwaitDeathTest, FutureWithoutSharedStateEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  RecordingHost host;
  std::future<int> empty;
  EXPECT_DEATH(AwaitFuture(host, empty, "int"), "ALE-6D828C10");
  std::future<int> abandoned = std::promise<int>().get_future();
  EXPECT_DEATH(AwaitFuture(host, abandoned, "int"), "ALE-6D828C10");
}

TEST(TaskTable, ACallableMayScheduleOrThrowAndStillLeavesTheTable) {
  TaskTable table;
  // The core keeps what it was given and runs it later.
  std::vector<std::pair<TaskTrampolineFn, void*>> pending;
  const auto core = [&](TaskTrampolineFn trampoline, void* context) { pending.emplace_back(trampoline, context); };
  const auto run_pending = [&] {
    for (const auto& [trampoline, context] : std::exchange(pending, {})) trampoline(context);
  };
  int follow_up = 0;
  table.Add([&] { table.Add([&] { ++follow_up; }, core); }, core);
  table.Add([] { throw std::runtime_error("boom"); }, core);
  run_pending();
  EXPECT_EQ(table.Outstanding(), 1u);
  run_pending();
  EXPECT_EQ(follow_up, 1);
  EXPECT_EQ(table.Outstanding(), 0u);
}

TEST(TaskTable, TasksFromManyThreadsEachRunOnce) {
  TaskTable table;
  std::atomic<int> runs{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        // A core that runs each task at once on another thread.
        table.Add([&] { runs.fetch_add(1); },
                  [](TaskTrampolineFn trampoline, void* context) { std::thread(trampoline, context).join(); });
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(runs.load(), 800);
  EXPECT_EQ(table.Outstanding(), 0u);
}

class StartedModule : public ::testing::Test, public testing::TestPlugin {
 protected:
  std::vector<HostFunction> WaitCalls() const {
    std::vector<HostFunction> calls = core.calls();
    std::erase_if(calls, [](HostFunction f) {
      return f != HostFunction::kBeginWait && f != HostFunction::kPumpHost && f != HostFunction::kEndWait;
    });
    return calls;
  }
};

TEST_F(StartedModule, AwaitPumpsUntilTheCoreCompletesTheFuture) {
  std::promise<std::string> promise;
  int pumps = 0;
  core.on_pump_host = [&] {
    if (++pumps == 3) promise.set_value("done");
  };
  EXPECT_EQ(module.Await(promise.get_future()), "done");
  EXPECT_EQ(WaitCalls(),
            (std::vector<HostFunction>{HostFunction::kBeginWait, HostFunction::kPumpHost, HostFunction::kPumpHost,
                                       HostFunction::kPumpHost, HostFunction::kEndWait}));
  ASSERT_EQ(core.waits().size(), 1u);
  EXPECT_EQ(core.waits()[0].label, "Wait: future<" + std::string(StaticTypeOf<std::string>().Name()) + ">");

  std::promise<int> ready;
  ready.set_value(3);
  EXPECT_EQ(module.Await(ready.get_future()), 3);
  EXPECT_EQ(WaitCalls().size(), 5u);  // a complete future calls nothing

  module.Yield();
  EXPECT_EQ(core.waits().back().label, "Wait: yield");
  EXPECT_EQ(WaitCalls().size(), 8u);
}

TEST_F(StartedModule, TasksDueInThePastRunWithoutDelayAndNamesDoNotCoalesce) {
  int runs = 0;
  const auto add = [&runs](int n) { return [&runs, n] { runs += n; }; };
  module.ScheduleTask("kel-champions.check", add(1), 0);
  module.ScheduleTask("kel-champions.check", add(10), 0);
  module.ScheduleTask("zbt-be-kel-champions:Later", add(100), platform::MonotonicNanoseconds() + 10'000'000);

  const std::vector<testing::ScheduledCall> scheduled = core.scheduled();
  ASSERT_EQ(scheduled.size(), 3u);
  EXPECT_EQ(std::tuple(scheduled[0].label, scheduled[0].delay_seconds, scheduled[1].delay_seconds,
                       scheduled[0].context != scheduled[1].context, scheduled[2].reserved),
            std::tuple("kel-champions.check", 0.0, 0.0, true, 0u));
  EXPECT_GT(scheduled[2].delay_seconds, 0.0);
  EXPECT_LE(scheduled[2].delay_seconds, 0.01);
  for (const auto& call : scheduled) call.callback(call.context);
  EXPECT_EQ(runs, 111);
}

}  // namespace
}  // namespace kel
