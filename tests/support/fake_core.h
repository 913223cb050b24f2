// A stand-in for the core: a HostTable whose ten functions record every
// call; sending a request, publishing and pumping also run a hook when one
// is set.
// Tests hand services() to AppModule::Initialize (or the Initialize
// callback) and inspect the calls.
//
// Calls may arrive on any thread: recording is locked, hooks run outside
// the lock (so a hook may call into the plug-in again).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/host_abi.h"

namespace kel::testing {

enum class HostFunction {
  kSendRequest,
  kReserved,
  kPublishEvent,
  kSubscribeEvent,
  kUnsubscribeEvent,
  kScheduleCallback,
  kPumpHost,
  kBeginWait,
  kEndWait,
  kWriteLog,
};

// Records of other families are only seen by address; they are valid
// during the call only, so hooks must copy what they need.
struct RequestCall {
  ResponseRecord* response;
  const RequestRecord* request;
};
struct ReservedCall {
  uintptr_t first;
  uintptr_t second;
};
struct SubscribeCall {
  std::string name;
  uint32_t plugin_handle;
  EventCallbackFn callback;
  void* context;
  uint32_t flag;
};
struct UnsubscribeCall {
  std::string name;
  uint32_t plugin_handle;
};
struct ScheduledCall {
  std::string label;
  TaskCallbackFn callback;
  void* context;
  double delay_seconds;
  uint32_t reserved;
};
struct WaitCall {
  std::string label;
  uint32_t reserved;
};
struct LogCall {
  uint32_t level;
  std::string text;
};

class FakeCore {
 public:
  explicit FakeCore(uint32_t plugin_handle = 42);
  FakeCore(const FakeCore&) = delete;
  FakeCore& operator=(const FakeCore&) = delete;

  HostTable& table() { return slot_.table; }
  const HostServices& services() const { return services_; }

  // Hooks, run after the call is recorded.
  std::function<void(const RequestCall&)> on_send_request;
  std::function<void(const OutgoingEventRecord*)> on_publish_event;
  std::function<void()> on_pump_host;

  // Every call in arrival order, and the recorded arguments per function.
  std::vector<HostFunction> calls() const { return Snapshot(calls_); }
  size_t CallCount(HostFunction function) const;
  std::vector<RequestCall> requests() const { return Snapshot(requests_); }
  std::vector<ReservedCall> reserved_calls() const { return Snapshot(reserved_calls_); }
  std::vector<SubscribeCall> subscriptions() const { return Snapshot(subscriptions_); }
  size_t SubscriptionCount(std::string_view name) const {
    const std::vector<SubscribeCall> all = subscriptions();
    return std::count_if(all.begin(), all.end(), [&](const SubscribeCall& call) { return call.name == name; });
  }
  std::vector<UnsubscribeCall> unsubscriptions() const { return Snapshot(unsubscriptions_); }
  std::vector<ScheduledCall> scheduled() const { return Snapshot(scheduled_); }
  std::vector<WaitCall> waits() const { return Snapshot(waits_); }
  std::vector<LogCall> log_lines() const { return Snapshot(log_lines_); }
  // Whether a line written to the core's log contains `text`.
  bool Logged(std::string_view text) const;

 private:
  // The table sits first in a block that also points back to its core, so
  // each function can find the core from the `t` it receives.
  struct TableSlot {
    HostTable table;
    FakeCore* core;
  };

  static FakeCore& From(HostTable* t) { return *reinterpret_cast<TableSlot*>(t)->core; }

  template <class T>
  std::vector<T> Snapshot(const std::vector<T>& list) const {
    std::lock_guard lock(mutex_);
    return list;
  }
  template <class Call>
  void Record(HostFunction function, std::vector<Call>& list, const Call& call);
  void Record(HostFunction function);

  TableSlot slot_;
  HostServices services_;
  mutable std::mutex mutex_;
  std::vector<HostFunction> calls_;
  std::vector<RequestCall> requests_;
  std::vector<ReservedCall> reserved_calls_;
  std::vector<SubscribeCall> subscriptions_;
  std::vector<UnsubscribeCall> unsubscriptions_;
  std::vector<ScheduledCall> scheduled_;
  std::vector<WaitCall> waits_;
  std::vector<LogCall> log_lines_;
};

}  // namespace kel::testing
