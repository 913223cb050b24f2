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
    const RequestCall call{response, request};
    core.Record(HostFunction::kSendRequest, core.requests_, call);
    if (core.on_send_request) core.on_send_request(call);
  };
  slot_.table.reserved = [](HostTable* t, uintptr_t first, uintptr_t second) {
    FakeCore& core = From(t);
    const ReservedCall call{first, second};
    core.Record(HostFunction::kReserved, core.reserved_calls_, call);
  };
  slot_.table.publish_event = [](HostTable* t, const OutgoingEventRecord* event) {
    FakeCore& core = From(t);
    core.Record(HostFunction::kPublishEvent);
    if (core.on_publish_event) core.on_publish_event(event);
  };
  slot_.table.subscribe_event = [](HostTable* t, const char* name, uint32_t plugin_handle, EventCallbackFn callback,
                                   void* context, uint32_t flag) {
    FakeCore& core = From(t);
    const SubscribeCall call{name ? name : "", plugin_handle, callback, context, flag};
    core.Record(HostFunction::kSubscribeEvent, core.subscriptions_, call);
  };
  slot_.table.unsubscribe_event = [](HostTable* t, const char* name, uint32_t plugin_handle) {
    FakeCore& core = From(t);
    const UnsubscribeCall call{name ? name : "", plugin_handle};
    core.Record(HostFunction::kUnsubscribeEvent, core.unsubscriptions_, call);
  };
  slot_.table.schedule_callback = [](HostTable* t, const char* label, TaskCallbackFn callback, void* context,
                                     double delay_seconds, uint32_t reserved) {
    FakeCore& core = From(t);
    const ScheduledCall call{label ? label : "", callback, context, delay_seconds, reserved};
    core.Record(HostFunction::kScheduleCallback, core.scheduled_, call);
  };
  slot_.table.pump_host = [](HostTable* t) {
    FakeCore& core = From(t);
    core.Record(HostFunction::kPumpHost);
    if (core.on_pump_host) core.on_pump_host();
  };
  slot_.table.begin_wait = [](HostTable* t, const char* label, uint32_t reserved) {
    FakeCore& core = From(t);
    const WaitCall call{label ? label : "", reserved};
    core.Record(HostFunction::kBeginWait, core.waits_, call);
  };
  slot_.table.end_wait = [](HostTable* t) {
    FakeCore& core = From(t);
    core.Record(HostFunction::kEndWait);
  };
  slot_.table.write_log = [](HostTable* t, uint32_t level, const char* text) {
    FakeCore& core = From(t);
    const LogCall call{level, text ? text : ""};
    core.Record(HostFunction::kWriteLog, core.log_lines_, call);
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
