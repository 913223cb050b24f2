#include "async/task_table.h"

#include "diagnostics/boundary_guard.h"

namespace kel {

void TaskTable::Add(std::function<void()> callable, const ScheduleCallbackFn& schedule) {
  ScheduledTask* record = nullptr;
  {
    std::lock_guard lock(mutex_);
    const uint64_t sequence = next_sequence_++;
    auto task = std::make_unique<ScheduledTask>(ScheduledTask{this, sequence, std::move(callable)});
    record = task.get();
    tasks_.emplace(sequence, std::move(task));
  }
  schedule(&TaskTable::Trampoline, record);
}

size_t TaskTable::Outstanding() const {
  std::lock_guard lock(mutex_);
  return tasks_.size();
}

void TaskTable::Trampoline(void* context) noexcept {
  auto* record = static_cast<ScheduledTask*>(context);
  GuardEntry("Scheduled task", nullptr, [&] { record->callable(); });
  TaskTable* owner = record->owner;
  std::unique_ptr<ScheduledTask> finished;
  {
    std::lock_guard lock(owner->mutex_);
    auto it = owner->tasks_.find(record->sequence);
    if (it != owner->tasks_.end()) {
      finished = std::move(it->second);
      owner->tasks_.erase(it);
    }
  }
  // The callable (and whatever it captured) is destroyed outside the mutex.
}

double DelaySecondsUntil(uint64_t due, uint64_t now) {
  if (due <= now) return 0.0;
  return static_cast<double>(due - now) * 1e-9;
}

}  // namespace kel
