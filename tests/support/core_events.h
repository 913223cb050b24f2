// Event delivery, published events and task running on top of FakeCore, as
// the core does them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_value.h"
#include "binding/host_value_conversion.h"
#include "runtime/event_abi.h"
#include "runtime/runtime_records.h"
#include "support/fake_core.h"

namespace kel::testing {

// Builds the incoming event record (the payload as a HostValue, released
// afterwards) and calls the callback that was subscribed last under `name`,
// with its context. False when nothing was ever subscribed under the name.
inline bool DeliverEvent(const FakeCore& core, std::string_view name, const BindingValue& payload) {
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

// Payloads of another plug-in's resource change and of a message the
// remote service pushed.
inline BindingValue ResourceEventPayload(const std::string& uri, PluginResourceEventType eventType,
                                         const BindingValue& data) {
  BindingValue payload;
  payload.Member("uri").SetString(uri);
  payload.Member("eventType").SetSigned(static_cast<int32_t>(eventType));
  payload.Member("data") = data;
  return payload;
}
inline BindingValue DrovMessagePayload(const std::string& typeName, const BindingValue& body) {
  BindingValue payload;
  payload.Member("clientId").SetString("client");
  payload.Member("subtopic").SetString("topic");
  payload.Member("typeName").SetString(typeName);
  payload.Member("body") = body;
  return payload;
}

// The tasks handed to ScheduleCallback, each run once when a test says so.
class TaskRunner {
 public:
  explicit TaskRunner(const FakeCore& core) : core_(core) {}
  // Runs every task scheduled and not run yet, oldest first; returns how
  // many ran. Tasks they schedule wait for the next call.
  size_t RunPending() {
    size_t ran = 0;
    for (size_t i = 0, count = core_.scheduled().size(); i < count; ++i) ran += RunAt(i) ? 1 : 0;
    return ran;
  }
  // Runs the oldest pending task with that label; false when there is none.
  bool Run(std::string_view label) {
    const std::vector<ScheduledCall> scheduled = core_.scheduled();
    for (size_t i = 0; i < scheduled.size(); ++i) {
      if (scheduled[i].label == label && RunAt(i)) return true;
    }
    return false;
  }
  // Labels of the tasks not run yet, oldest first.
  std::vector<std::string> Pending() const {
    const std::vector<ScheduledCall> scheduled = core_.scheduled();
    std::vector<std::string> labels;
    for (size_t i = 0; i < scheduled.size(); ++i) {
      if (i >= ran_.size() || !ran_[i]) labels.push_back(scheduled[i].label);
    }
    return labels;
  }
  size_t Pending(std::string_view label) const {
    const std::vector<std::string> pending = Pending();
    return static_cast<size_t>(std::count(pending.begin(), pending.end(), label));
  }
  // The delay the newest task with that label was scheduled with, -1 when
  // there is none.
  double DelayOf(std::string_view label) const {
    const std::vector<ScheduledCall> scheduled = core_.scheduled();
    for (auto it = scheduled.rbegin(); it != scheduled.rend(); ++it) {
      if (it->label == label) return it->delay_seconds;
    }
    return -1;
  }

 private:
  // Runs entry `i` of core_.scheduled() unless it ran already.
  bool RunAt(size_t i) {
    const std::vector<ScheduledCall> scheduled = core_.scheduled();
    ran_.resize(scheduled.size(), false);
    if (ran_[i]) return false;
    ran_[i] = true;
    scheduled[i].callback(scheduled[i].context);
    return true;
  }

  const FakeCore& core_;
  std::vector<bool> ran_;  // per entry of core_.scheduled()
};

// An event the plug-in published, its payload taken apart.
struct PublishedEvent {
  std::string name;
  std::string uri;
  std::string eventType;  // the enumerator's name: "Create", "Update" or "Delete"
  BindingValue data;
  uint32_t word = 0;
};

// Records every event published through the core, on any thread.
class PublishedEvents {
 public:
  explicit PublishedEvents(FakeCore& core) {
    core.on_publish_event = [this](const OutgoingEventRecord* event) {
      BindingResult payload;
      FromHostValue(payload, event->payload, "event");
      const BindingValue& value = payload.Value();
      std::lock_guard lock(mutex_);
      events_.push_back({event->name, std::string(value.Find("uri").GetString()), value.Find("eventType").AsText(),
                         value.Find("data"), event->word});
    };
  }
  std::vector<PublishedEvent> All() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  // Without the copies under the general name "OnJsonApiEvent".
  std::vector<PublishedEvent> OwnNames() const {
    std::vector<PublishedEvent> own = All();
    std::erase_if(own, [](const PublishedEvent& event) { return event.name == "OnJsonApiEvent"; });
    return own;
  }
  // The data of the latest event for `uri`; empty when there was none.
  BindingValue Latest(std::string_view uri) const {
    const std::vector<PublishedEvent> events = All();
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
      if (it->uri == uri) return it->data;
    }
    return {};
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<PublishedEvent> events_;
};

}  // namespace kel::testing
