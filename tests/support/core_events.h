// Event delivery, published events and task running on top of FakeCore, as
// the core does them.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_value.h"
#include "runtime/runtime_records.h"
#include "support/fake_core.h"

namespace kel::testing {

// Builds the incoming event record (the payload as a HostValue, released
// afterwards) and calls the callback that was subscribed last under `name`,
// with its context. False when nothing was ever subscribed under the name.
bool DeliverEvent(const FakeCore& core, std::string_view name, const BindingValue& payload);

// Payloads of another plug-in's resource change and of a message the
// remote service pushed.
BindingValue ResourceEventPayload(const std::string& uri, PluginResourceEventType eventType, const BindingValue& data);
BindingValue DrovMessagePayload(const std::string& typeName, const BindingValue& body);

// The tasks handed to ScheduleCallback, each run once when a test says so.
class TaskRunner {
 public:
  explicit TaskRunner(const FakeCore& core) : core_(core) {}
  // Runs every task scheduled and not run yet, oldest first; returns how
  // many ran. Tasks they schedule wait for the next call.
  size_t RunPending();
  // Runs the oldest pending task with that label; false when there is none.
  bool Run(std::string_view label);
  // Labels of the tasks not run yet, oldest first.
  std::vector<std::string> Pending() const;
  size_t Pending(std::string_view label) const;
  // The delay the newest task with that label was scheduled with, -1 when
  // there is none.
  double DelayOf(std::string_view label) const;

 private:
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
  explicit PublishedEvents(FakeCore& core);
  std::vector<PublishedEvent> All() const;
  // Without the copies under the general name "OnJsonApiEvent".
  std::vector<PublishedEvent> OwnNames() const;
  // The data of the latest event for `uri`; empty when there was none.
  BindingValue Latest(std::string_view uri) const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<PublishedEvent> events_;
};

}  // namespace kel::testing
