#include <string>

#include "platform/clock.h"
#include "runtime/subscription_core.h"

namespace kel {

void SubscriptionCore::ScheduleTask(std::string_view name, std::function<void()> callable, uint64_t due) {
  const double delay_seconds = DelaySecondsUntil(due, platform::MonotonicNanoseconds());
  const std::string label(name);
  tasks_.Add(std::move(callable), [&](TaskTrampolineFn trampoline, void* context) {
    ScheduleCallback(label.c_str(), trampoline, context, delay_seconds, 0);
  });
}

}  // namespace kel
