#include "runtime/subscription_core.h"

#include "binding/binding_registry.h"
#include "binding/host_value_conversion.h"
#include "diagnostics/boundary_guard.h"
#include "diagnostics/log.h"
#include "diagnostics/positional_format.h"
#include "platform/clock.h"
#include "runtime/event_names.h"
#include "runtime/resource_pattern.h"

namespace kel {
namespace {

constexpr uint32_t kResourceEventFlag = 0;
constexpr uint32_t kDrovEventFlag = 0;
constexpr uint32_t kServiceProxyEventFlag = 1;

template <typename Handler>
std::shared_ptr<const Handler> Share(Handler handler) {
  return std::make_shared<const Handler>(std::move(handler));
}

}  // namespace

SubscriptionCore::SubscriptionCore() = default;
SubscriptionCore::~SubscriptionCore() = default;

void SubscriptionCore::StartSubscriptions(uint32_t plugin_handle, std::string short_name) {
  plugin_handle_ = plugin_handle;
  short_name_ = std::move(short_name);
  service_proxies_.SetShortName(short_name_);
  telemetry_ = std::make_unique<TelemetryPoster>(*this);
  state_.store(PluginState::Initialized, std::memory_order_release);
  const EventCallbackFn deliver = &DeliverEvent<PluginServiceProxyResponse>;
  SubscribeRaw("OnServiceProxyUuidEvent", ServiceProxyEventHandler([this](const PluginServiceProxyResponse& a) {
                 service_proxies_.OnUuidAnswer(a);
               }),
               deliver, kServiceProxyEventFlag);
  SubscribeRaw("OnServiceProxyMethodEvent", ServiceProxyEventHandler([this](const PluginServiceProxyResponse& a) {
                 service_proxies_.OnMethodAnswer(a);
               }),
               deliver, kServiceProxyEventFlag);
  SubscribeRaw("OnServiceProxyAsyncEvent", ServiceProxyEventHandler([this](const PluginServiceProxyResponse& a) {
                 service_proxies_.OnAsyncAnswer(a);
               }),
               deliver, kServiceProxyEventFlag);
}

void SubscriptionCore::SubscribeResourceEvent(std::string_view resource_path) {
  const std::string name = ResourceEventName(resource_path);
  std::lock_guard order(subscribe_mutex_);
  uint32_t count = 0;
  {
    std::lock_guard lock(tables_mutex_);
    count = ++subscription_counts_[name];
  }
  if (count != 1) return;
  SubscribeRaw(name, ResourceEventHandler([this](const PluginResourceEvent& e) { DispatchResourceEvent(e); }),
               &DeliverEvent<PluginResourceEvent>, kResourceEventFlag);
}

void SubscriptionCore::UnsubscribeResourceEvent(std::string_view resource_path) {
  const std::string name = ResourceEventName(resource_path);
  std::lock_guard order(subscribe_mutex_);
  {
    std::lock_guard lock(tables_mutex_);
    const auto count = subscription_counts_.find(name);
    // Releasing a name that holds no reference changes nothing.
    if (count == subscription_counts_.end() || count->second == 0) return;
    if (--count->second != 0) return;
  }
  UnsubscribeEvent(name.c_str(), plugin_handle_);
  std::lock_guard lock(tables_mutex_);
  event_handlers_.erase(name);
}

void SubscriptionCore::Stop() {
  std::lock_guard order(subscribe_mutex_);
  state_.store(PluginState::Stopping, std::memory_order_release);
  std::vector<std::string> names;
  {
    std::lock_guard lock(tables_mutex_);
    names.reserve(event_handlers_.size());
    for (const auto& entry : event_handlers_) names.push_back(entry.first);
  }
  for (const std::string& name : names) UnsubscribeEvent(name.c_str(), plugin_handle_);
  {
    std::lock_guard lock(tables_mutex_);
    event_handlers_.clear();
    drov_handlers_.clear();
  }
  service_proxies_.Clear();
  std::lock_guard lock(tables_mutex_);
  exact_listeners_.clear();
  wildcard_listeners_.clear();
}

void SubscriptionCore::AddResourceListener(std::string resource_path, ResourceEventHandler listener) {
  {
    std::lock_guard lock(tables_mutex_);
    if (resource_path.find('*') != std::string::npos) {
      wildcard_listeners_.emplace_back(resource_path, Share(std::move(listener)));
    } else {
      exact_listeners_.insert_or_assign(resource_path, Share(std::move(listener)));
    }
  }
  SubscribeResourceEvent(resource_path);
}

void SubscriptionCore::SubscribeDrovClass(std::string class_name, DrovEventHandler handler) {
  {
    std::lock_guard lock(tables_mutex_);
    drov_handlers_.insert_or_assign(class_name, Share(std::move(handler)));
  }
  SubscribeRaw(DrovEventName(class_name),
               DrovEventHandler([this](const PluginDrovEvent& message) { DispatchDrovMessage(message); }),
               &DeliverEvent<PluginDrovEvent>, kDrovEventFlag);
}

void SubscriptionCore::ExpectDrovMessage(std::string class_name, DrovEventHandler on_message) {
  std::lock_guard lock(tables_mutex_);
  drov_waiters_.insert_or_assign(std::move(class_name), std::move(on_message));
}

void SubscriptionCore::SubscribeRaw(const std::string& name, EventHandler handler, EventCallbackFn callback,
                                    uint32_t flag) {
  std::lock_guard order(subscribe_mutex_);
  if (State() != PluginState::Initialized) return;
  bool subscribed = false;
  {
    std::lock_guard lock(tables_mutex_);
    auto shared = std::make_shared<const EventHandler>(std::move(handler));
    subscribed = !event_handlers_.insert_or_assign(name, std::move(shared)).second;
  }
  if (!subscribed) SubscribeEvent(name.c_str(), plugin_handle_, callback, this, flag);
}

std::shared_ptr<const SubscriptionCore::EventHandler> SubscriptionCore::FindHandler(std::string_view name) const {
  std::lock_guard lock(tables_mutex_);
  const auto found = event_handlers_.find(name);
  return found == event_handlers_.end() ? nullptr : found->second;
}

template <typename Record>
void SubscriptionCore::DeliverEvent(const IncomingEventRecord* event) noexcept {
  if (event == nullptr || event->name == nullptr || event->context == nullptr) return;
  auto* core = static_cast<SubscriptionCore*>(event->context);
  GuardEntry("Handler of event", event->name, [&] {
    const std::shared_ptr<const EventHandler> entry = core->FindHandler(event->name);
    if (entry == nullptr) return;
    const auto* handler = std::get_if<std::function<void(const Record&)>>(entry.get());
    if (handler == nullptr) return;
    // A payload that does not convert is dropped without a word.
    BindingResult value;
    FromHostValue(value, event->payload, event->name);
    if (!value.Ok()) return;
    Record record;
    BindingResult assigned;
    core->Registry().Assign(assigned, record, value.Value(), event->name);
    if (!assigned.Ok()) return;
    (*handler)(record);
  });
}

void SubscriptionCore::DispatchResourceEvent(const PluginResourceEvent& event) const {
  std::string path;
  if (event.uri.empty() || event.uri.front() != '/') path = '/';
  path += event.uri;
  std::shared_ptr<const ResourceEventHandler> exact;
  std::vector<std::shared_ptr<const ResourceEventHandler>> matching;
  {
    std::lock_guard lock(tables_mutex_);
    const auto found = exact_listeners_.find(path);
    if (found != exact_listeners_.end()) exact = found->second;
    for (const auto& [pattern, listener] : wildcard_listeners_) {
      if (ResourcePatternMatches(pattern, path)) matching.push_back(listener);
    }
  }
  if (exact != nullptr) (*exact)(event);
  for (const auto& listener : matching) (*listener)(event);
}

void SubscriptionCore::DispatchDrovMessage(const PluginDrovEvent& message) {
  DrovEventHandler waiter;
  bool subscribed = false;
  {
    std::lock_guard lock(tables_mutex_);
    const auto waiting = drov_waiters_.find(message.typeName);
    if (waiting != drov_waiters_.end()) {
      waiter = std::move(waiting->second);
      drov_waiters_.erase(waiting);
    } else {
      subscribed = drov_handlers_.contains(message.typeName);
    }
  }
  if (waiter) {
    waiter(message);
    return;
  }
  if (!subscribed) return;
  auto copy = std::make_shared<const PluginDrovEvent>(message);
  ScheduleTask(
      FormatMessage("Event: OnDrovEvent (%1)", message.typeName), [this, copy] { RunDrovHandler(*copy); },
      platform::MonotonicNanoseconds());
}

void SubscriptionCore::RunDrovHandler(const PluginDrovEvent& message) const {
  std::shared_ptr<const DrovEventHandler> handler;
  {
    std::lock_guard lock(tables_mutex_);
    const auto found = drov_handlers_.find(message.typeName);
    if (found != drov_handlers_.end()) handler = found->second;
  }
  if (handler != nullptr) (*handler)(message);
}

}  // namespace kel
