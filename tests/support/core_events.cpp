#include "support/core_events.h"

#include <algorithm>
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

BindingValue ResourceEventPayload(const std::string& uri, PluginResourceEventType eventType, const BindingValue& data) {
  BindingValue payload;
  payload.Member("uri").SetString(uri);
  payload.Member("eventType").SetSigned(static_cast<int32_t>(eventType));
  payload.Member("data") = data;
  return payload;
}

BindingValue DrovMessagePayload(const std::string& typeName, const BindingValue& body) {
  BindingValue payload;
  payload.Member("clientId").SetString("client");
  payload.Member("subtopic").SetString("topic");
  payload.Member("typeName").SetString(typeName);
  payload.Member("body") = body;
  return payload;
}

size_t TaskRunner::RunPending() {
  const std::vector<ScheduledCall> scheduled = core_.scheduled();
  ran_.resize(scheduled.size(), false);
  size_t ran = 0;
  for (size_t i = 0; i < scheduled.size(); ++i) {
    if (ran_[i]) continue;
    ran_[i] = true;
    scheduled[i].callback(scheduled[i].context);
    ++ran;
  }
  return ran;
}

bool TaskRunner::Run(std::string_view label) {
  const std::vector<ScheduledCall> scheduled = core_.scheduled();
  ran_.resize(scheduled.size(), false);
  for (size_t i = 0; i < scheduled.size(); ++i) {
    if (ran_[i] || scheduled[i].label != label) continue;
    ran_[i] = true;
    scheduled[i].callback(scheduled[i].context);
    return true;
  }
  return false;
}

std::vector<std::string> TaskRunner::Pending() const {
  const std::vector<ScheduledCall> scheduled = core_.scheduled();
  std::vector<std::string> labels;
  for (size_t i = 0; i < scheduled.size(); ++i) {
    if (i >= ran_.size() || !ran_[i]) labels.push_back(scheduled[i].label);
  }
  return labels;
}

size_t TaskRunner::Pending(std::string_view label) const {
  const std::vector<std::string> pending = Pending();
  return static_cast<size_t>(std::count(pending.begin(), pending.end(), label));
}

double TaskRunner::DelayOf(std::string_view label) const {
  const std::vector<ScheduledCall> scheduled = core_.scheduled();
  for (auto it = scheduled.rbegin(); it != scheduled.rend(); ++it) {
    if (it->label == label) return it->delay_seconds;
  }
  return -1;
}

PublishedEvents::PublishedEvents(FakeCore& core) {
  core.on_publish_event = [this](const OutgoingEventRecord* event) {
    BindingResult payload;
    FromHostValue(payload, event->payload, "event");
    const BindingValue& value = payload.Value();
    std::lock_guard lock(mutex_);
    events_.push_back({event->name, std::string(value.Find("uri").GetString()), value.Find("eventType").AsText(),
                       value.Find("data"), event->word});
  };
}

std::vector<PublishedEvent> PublishedEvents::All() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::vector<PublishedEvent> PublishedEvents::OwnNames() const {
  std::vector<PublishedEvent> own = All();
  std::erase_if(own, [](const PublishedEvent& event) { return event.name == "OnJsonApiEvent"; });
  return own;
}

BindingValue PublishedEvents::Latest(std::string_view uri) const {
  const std::vector<PublishedEvent> events = All();
  for (auto it = events.rbegin(); it != events.rend(); ++it) {
    if (it->uri == uri) return it->data;
  }
  return {};
}

void PublishedEvents::Clear() {
  std::lock_guard lock(mutex_);
  events_.clear();
}

}  // namespace kel::testing
