#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "diagnostics/console_log_targets.h"
#include "diagnostics/log.h"
#include "support/recording_log_target.h"

namespace kel::log {
namespace {

// Every target sees every message, and all targets see them in the same
// order, however many threads log at once.
TEST(LogThreads, TargetsReceiveMessagesInOneOrder) {
  Acquire();
  StdErrTarget().Detach();
  DebuggerTarget().Detach();
  testing::RecordingLogTarget first;
  testing::RecordingLogTarget second;
  constexpr int kThreads = 4;
  constexpr int kMessages = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kMessages; ++i) Write(kWarn, kGroupDbg, "%d:%d", t, i);
    });
  }
  for (std::thread& thread : threads) thread.join();
  const std::vector<std::string> lines = first.Messages();
  EXPECT_EQ(lines.size(), static_cast<size_t>(kThreads * kMessages));
  EXPECT_EQ(lines, second.Messages());
  Release();
}

}  // namespace
}  // namespace kel::log
