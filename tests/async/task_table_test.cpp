#include "async/task_table.h"

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace kel {
namespace {

// Stands in for the core: keeps what ScheduleCallback got and runs it later.
struct FakeScheduler {
  struct Pending {
    TaskTrampolineFn trampoline;
    void* context;
  };
  std::vector<Pending> pending;

  TaskTable::ScheduleCallbackFn Callback() {
    return [this](TaskTrampolineFn trampoline, void* context) { pending.push_back({trampoline, context}); };
  }
  void RunAll() {
    for (const Pending& p : pending) p.trampoline(p.context);
    pending.clear();
  }
};

TEST(TaskTable, ACallableMayScheduleOrThrowAndStillLeavesTheTable) {
  TaskTable table;
  FakeScheduler core;
  int follow_up = 0;
  table.Add([&] { table.Add([&] { ++follow_up; }, core.Callback()); }, core.Callback());
  table.Add([] { throw std::runtime_error("boom"); }, core.Callback());
  std::vector<FakeScheduler::Pending> first_round = core.pending;
  core.pending.clear();
  for (const auto& p : first_round) p.trampoline(p.context);
  EXPECT_EQ(table.Outstanding(), 1u);
  core.RunAll();
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

}  // namespace
}  // namespace kel
