#include "async/await.h"

#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kel {
namespace {

// Records the core calls a wait makes.
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

}  // namespace
}  // namespace kel
