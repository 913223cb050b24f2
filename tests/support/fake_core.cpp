#include "support/fake_core.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>

namespace kel::testing {

template <class Call>
void FakeCore::Record(HostFunction function, std::vector<Call>& list, const Call& call) {
  std::lock_guard lock(mutex_);
  calls_.push_back(function);
  list.push_back(call);
}

void FakeCore::Record(HostFunction function) {
  std::lock_guard lock(mutex_);
  calls_.push_back(function);
}

FakeCore::FakeCore(uint32_t plugin_handle) : services_{&slot_.table, plugin_handle} {
  static_assert(std::is_standard_layout_v<TableSlot> && offsetof(TableSlot, table) == 0);
  slot_.core = this;
  slot_.table.send_request = [](HostTable* t, ResponseRecord* response, const RequestRecord* request) {
    FakeCore& core = From(t);
    core.Record(HostFunction::kSendRequest, core.requests_, RequestCall{response, request});
    if (core.on_send_request) core.on_send_request(RequestCall{response, request});
  };
  slot_.table.reserved = [](HostTable* t, uintptr_t first, uintptr_t second) {
    From(t).Record(HostFunction::kReserved, From(t).reserved_calls_, ReservedCall{first, second});
  };
  slot_.table.publish_event = [](HostTable* t, const OutgoingEventRecord* event) {
    From(t).Record(HostFunction::kPublishEvent);
    if (From(t).on_publish_event) From(t).on_publish_event(event);
  };
  slot_.table.subscribe_event = [](HostTable* t, const char* name, uint32_t plugin_handle, EventCallbackFn callback,
                                   void* context, uint32_t flag) {
    From(t).Record(HostFunction::kSubscribeEvent, From(t).subscriptions_,
                   SubscribeCall{name ? name : "", plugin_handle, callback, context, flag});
  };
  slot_.table.unsubscribe_event = [](HostTable* t, const char* name, uint32_t plugin_handle) {
    From(t).Record(HostFunction::kUnsubscribeEvent, From(t).unsubscriptions_,
                   UnsubscribeCall{name ? name : "", plugin_handle});
  };
  slot_.table.schedule_callback = [](HostTable* t, const char* label, TaskCallbackFn callback, void* context,
                                     double delay_seconds, uint32_t reserved) {
    From(t).Record(HostFunction::kScheduleCallback, From(t).scheduled_,
                   ScheduledCall{label ? label : "", callback, context, delay_seconds, reserved});
  };
  slot_.table.pump_host = [](HostTable* t) {
    From(t).Record(HostFunction::kPumpHost);
    if (From(t).on_pump_host) From(t).on_pump_host();
  };
  slot_.table.begin_wait = [](HostTable* t, const char* label, uint32_t reserved) {
    From(t).Record(HostFunction::kBeginWait, From(t).waits_, WaitCall{label ? label : "", reserved});
  };
  slot_.table.end_wait = [](HostTable* t) { From(t).Record(HostFunction::kEndWait); };
  slot_.table.write_log = [](HostTable* t, uint32_t level, const char* text) {
    From(t).Record(HostFunction::kWriteLog, From(t).log_lines_, LogCall{level, text ? text : ""});
  };
}

size_t FakeCore::CallCount(HostFunction function) const {
  std::lock_guard lock(mutex_);
  return static_cast<size_t>(std::count(calls_.begin(), calls_.end(), function));
}

bool FakeCore::Logged(std::string_view text) const {
  std::lock_guard lock(mutex_);
  return std::any_of(log_lines_.begin(), log_lines_.end(),
                     [text](const LogCall& line) { return line.text.find(text) != std::string::npos; });
}

}  // namespace kel::testing
