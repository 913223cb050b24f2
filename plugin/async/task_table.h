#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace kel {

class TaskTable;

// One delayed task, from scheduling until its callable has returned. Its
// address is the context the core hands back to the trampoline.
struct ScheduledTask {
  TaskTable* owner;
  uint64_t sequence;
  std::function<void()> callable;
};

// The signature of the function the core runs once a task's delay has passed
// (ScheduleCallback's callback): it gets the task's context and nothing else.
using TaskTrampolineFn = void (*)(void* context);

// The plug-in's outstanding delayed tasks, keyed by a sequence number that
// starts at 1. A task runs once; nothing cancels or coalesces tasks, so two
// tasks of one name are independent.
//
// Lock: the task mutex guards the table and the next sequence number only.
// It is never held while a callable runs or while the core is called, so a
// callable may schedule further tasks.
//
// The core must not run a trampoline once the plug-in's Shutdown has
// returned (host_abi.h states it); the records still in the table are then
// simply freed with the table.
class TaskTable {
 public:
  // Hands one record to the core: `schedule` is called outside the task
  // mutex with the trampoline and the record's address, and must call the
  // core's ScheduleCallback with them.
  using ScheduleCallbackFn = std::function<void(TaskTrampolineFn trampoline, void* context)>;

  TaskTable() = default;
  TaskTable(const TaskTable&) = delete;
  TaskTable& operator=(const TaskTable&) = delete;

  void Add(std::function<void()> callable, const ScheduleCallbackFn& schedule);

  // Tasks scheduled and not yet run to completion.
  size_t Outstanding() const;

 private:
  // Runs the record's callable, then erases the record. Called by the core on
  // any of its threads. An exception from the callable is logged and stopped
  // here: nothing may unwind into the core.
  static void Trampoline(void* context) noexcept;

  mutable std::mutex mutex_;
  std::unordered_map<uint64_t, std::unique_ptr<ScheduledTask>> tasks_;
  uint64_t next_sequence_ = 1;
};

// The delay in seconds from the monotonic clock's `now` to `due` (both in
// nanoseconds); a due time that is not in the future gives 0.
double DelaySecondsUntil(uint64_t due, uint64_t now);

}  // namespace kel
