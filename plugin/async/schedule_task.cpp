#include "async/schedule_task.h"

#include <string>

#include "platform/clock.h"

namespace kel {

void ScheduleTask(CorePort& core, TaskTable& tasks, std::string_view name, std::function<void()> callable,
                  uint64_t due) {
  const double delay_seconds = DelaySecondsUntil(due, platform::MonotonicNanoseconds());
  const std::string label(name);
  tasks.Add(std::move(callable), [&](TaskTrampolineFn trampoline, void* context) {
    core.ScheduleCallback(label.c_str(), trampoline, context, delay_seconds, 0);
  });
}

}  // namespace kel
