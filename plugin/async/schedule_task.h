#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "async/task_table.h"
#include "runtime/core_port.h"

namespace kel {

// Stores `callable` in `tasks` and asks the core (ScheduleCallback) to run
// it once, on a core thread, at `due` on the monotonic clock
// (platform::MonotonicNanoseconds) or as soon as possible when that has
// passed. The label the core gets is `name`.
void ScheduleTask(CorePort& core, TaskTable& tasks, std::string_view name, std::function<void()> callable,
                  uint64_t due);

}  // namespace kel
