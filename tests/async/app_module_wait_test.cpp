// Waiting and delayed tasks through AppModule against the fake core.
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "support/test_plugin.h"

namespace kel {
namespace {

using testing::HostFunction;

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
  EXPECT_EQ(core.waits()[0].label, std::string("Wait: future<") + StaticTypeOf<std::string>().Name() + ">");

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
  module.ScheduleTask(
      "kel-champions.check", [&] { ++runs; }, 0);
  module.ScheduleTask(
      "kel-champions.check", [&] { runs += 10; }, 0);
  const uint64_t soon = platform::MonotonicNanoseconds() + 10'000'000;
  module.ScheduleTask(
      "zbt-be-kel-champions:Later", [&] { runs += 100; }, soon);

  const std::vector<testing::ScheduledCall> scheduled = core.scheduled();
  ASSERT_EQ(scheduled.size(), 3u);
  EXPECT_EQ(scheduled[0].label, "kel-champions.check");
  EXPECT_EQ(scheduled[0].delay_seconds, 0.0);
  EXPECT_EQ(scheduled[1].delay_seconds, 0.0);
  EXPECT_NE(scheduled[0].context, scheduled[1].context);
  EXPECT_GT(scheduled[2].delay_seconds, 0.0);
  EXPECT_LE(scheduled[2].delay_seconds, 0.01);
  EXPECT_EQ(scheduled[2].reserved, 0u);
  for (const auto& call : scheduled) call.callback(call.context);
  EXPECT_EQ(runs, 111);
}

}  // namespace
}  // namespace kel
