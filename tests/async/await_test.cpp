#include "async/await.h"

#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kel {
namespace {

// Records the core calls a wait makes; the awaited promise is fulfilled on
// the given pump pass, as a core would when it runs the producer's work.
struct PumpingHost {
  std::promise<int>* promise = nullptr;
  int ready_after_pumps = 0;
  std::vector<std::string> calls;

  void BeginWait(const char* label, uint32_t word) {
    calls.push_back(std::string("begin ") + label + " " + std::to_string(word));
  }
  void PumpHost() {
    calls.push_back("pump");
    if (promise && --ready_after_pumps == 0) promise->set_value(42);
  }
  void EndWait() { calls.push_back("end"); }
};

TEST(Await, CompleteFutureCallsNoCore) {
  PumpingHost host;
  std::promise<int> promise;
  promise.set_value(7);
  std::future<int> future = promise.get_future();
  EXPECT_EQ(AwaitFuture(host, future, "int"), 7);
  EXPECT_TRUE(host.calls.empty());
}

TEST(Await, PumpsUntilReadyBetweenOneBeginAndOneEnd) {
  std::promise<int> promise;
  PumpingHost host{&promise, 3, {}};
  std::future<int> future = promise.get_future();
  EXPECT_EQ(AwaitFuture(host, future, "int"), 42);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"begin Wait: future<int> 0", "pump", "pump",
                                                  "pump", "end"}));
}

TEST(Await, DeferredFutureRunsInsteadOfPumpingForever) {
  PumpingHost host;
  std::future<int> future = std::async(std::launch::deferred, [] { return 5; });
  EXPECT_EQ(AwaitFuture(host, future, "int"), 5);
  EXPECT_TRUE(host.calls.empty());
}

TEST(Await, YieldPumpsOnceInsideAWait) {
  PumpingHost host;
  YieldToHost(host);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"begin Wait: yield 0", "pump", "end"}));
}

TEST(AwaitDeathTest, FutureWithoutSharedStateEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PumpingHost host;
  std::future<int> empty;
  EXPECT_DEATH(AwaitFuture(host, empty, "int"), "ALE-6D828C10");
  std::future<int> abandoned = std::promise<int>().get_future();
  EXPECT_DEATH(AwaitFuture(host, abandoned, "int"), "ALE-6D828C10");
}

}  // namespace
}  // namespace kel
