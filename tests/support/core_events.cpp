#include "support/core_events.h"

#include <string>

#include "binding/host_value_conversion.h"
#include "runtime/event_abi.h"

namespace kel::testing {

bool DeliverEvent(const FakeCore& core, std::string_view name, const BindingValue& payload) {
  const std::vector<SubscribeCall> subscriptions = core.subscriptions();
  for (auto it = subscriptions.rbegin(); it != subscriptions.rend(); ++it) {
    if (it->name != name) continue;
    const std::string text(name);
    IncomingEventRecord event{};
    event.name = text.c_str();
    event.context = it->context;
    BindingResult converted;
    ToHostValue(converted, payload, event.payload);
    it->callback(&event);
    ReleaseHostValue(event.payload);
    return true;
  }
  return false;
}

size_t TaskRunner::RunPending() {
  const std::vector<ScheduledCall> scheduled = core_.scheduled();
  size_t ran = 0;
  for (; next_ < scheduled.size(); ++next_, ++ran) scheduled[next_].callback(scheduled[next_].context);
  return ran;
}

}  // namespace kel::testing
