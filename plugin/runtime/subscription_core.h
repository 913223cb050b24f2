#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "async/schedule_task.h"
#include "async/task_table.h"
#include "runtime/core_port.h"
#include "runtime/drov_class_names.h"
#include "runtime/event_abi.h"
#include "runtime/host_abi.h"
#include "runtime/runtime_records.h"
#include "runtime/service_proxy_table.h"
#include "runtime/telemetry_poster.h"

namespace kel {

class BindingRegistry;

// Where the plug-in object is in its life. Only an initialized plug-in
// subscribes with the core; once stopping, nothing subscribes any more, so
// no core subscription can outlive the object.
enum class PluginState {
  Constructed,  // allocated by the entry point
  Loaded,       // entry sequence done: the core may read the record, nothing may call the core
  Initialized,  // Initialize ran: subscriptions, requests, tasks and logging to the core
  Stopping,     // Shutdown began: Stop ran or runs, the object is about to go
};

// Handlers of the three event records. Each runs on the core thread that
// delivered the event (DROV handlers: on the thread that runs their task)
// with none of the subscription core's locks held, so it may subscribe or
// unsubscribe itself.
using ResourceEventHandler = std::function<void(const PluginResourceEvent&)>;
using DrovEventHandler = std::function<void(const PluginDrovEvent&)>;
using ServiceProxyEventHandler = std::function<void(const PluginServiceProxyResponse&)>;

// The part of the plug-in object that subscribes to the core's events and
// routes each incoming event to its handler: resource events to the
// listeners of their path, DROV messages to a waiting call or, as tasks, to
// the handler of their class, service-proxy answers to their table.
// AppModule derives from it and supplies the forwarders to the core and the
// delayed tasks.
//
// Locks, in the order they may be taken:
//   subscribe mutex (recursive): held across a whole subscribe, unsubscribe
//     or Stop, the core's SubscribeEvent / UnsubscribeEvent included, so the
//     core sees one subscription per name, in the order the counts change.
//     Event delivery never takes it.
//   tables mutex: guards the listener, handler, count and DROV tables for a
//     few lookups at a time; never held while a handler or the core runs.
//   service-proxy mutex (ServiceProxyTable) and the task mutex (AppModule):
//     taken with neither of the above held.
class SubscriptionCore : public CorePort {
 public:
  SubscriptionCore();
  SubscriptionCore(const SubscriptionCore&) = delete;
  SubscriptionCore& operator=(const SubscriptionCore&) = delete;

  // Slot 0: takes one reference to the event name of the resource path and
  // subscribes with the core when it is the first. Writes no log line.
  void SubscribeResourceEvent(std::string_view resource_path) override;
  // Slot 1: releases one reference; the last one unsubscribes with the core.
  void UnsubscribeResourceEvent(std::string_view resource_path) override;
  // Slot 2.
  ~SubscriptionCore() override;
  // Slot 3: marks the object stopping, unsubscribes every event name from
  // the core and clears the handler, DROV, service-proxy and listener
  // tables. Counts are kept. Subscriptions asked for afterwards (by a task
  // or handler still running) do not reach the core.
  void Stop() override;

  // Slots 4-12, the forwarders to the core, are AppModule's (CorePort).

  // Entry: registers the runtime's enums, records and events in the
  // namespace "hclient" and keeps the registry for converting payloads.
  void RegisterRuntimeTypes(BindingRegistry& registry);
  // The entry point marks the object loaded once the record is written.
  void MarkLoaded() { state_.store(PluginState::Loaded, std::memory_order_release); }
  PluginState State() const { return state_.load(std::memory_order_acquire); }

  // Initialize: keeps the core's handle for this plug-in and its short name,
  // creates a new telemetry poster (replacing any earlier one) and makes the
  // three service-proxy subscriptions.
  void StartSubscriptions(uint32_t plugin_handle, std::string short_name);
  const std::string& ShortName() const { return short_name_; }
  // Valid from Initialize on.
  TelemetryPoster& Telemetry() { return *telemetry_; }

  // Calls `listener` with every event of the resource path: an exact path,
  // or a pattern whose "*" stands for the rest of one segment. Listening to
  // the same exact path again replaces its listener; patterns accumulate.
  void AddResourceListener(std::string resource_path, ResourceEventHandler listener);

  // Subscribes to the messages of a DROV class. Each message is copied and
  // handed to `handler` in a task the core runs without delay, never inside
  // the core's event callback. A second subscription replaces the handler.
  void SubscribeDrovClass(std::string class_name, DrovEventHandler handler);
  // The next message of that class goes to `on_message`, inside the event
  // callback, instead of to the class's subscription.
  void ExpectDrovMessage(std::string class_name, DrovEventHandler on_message);
  DrovClassNames& DrovClasses() { return drov_classes_; }
  const DrovClassNames& DrovClasses() const { return drov_classes_; }

  ServiceProxyTable& ServiceProxies() { return service_proxies_; }

  // Runs `callable` once, on a core thread, at `due` on the monotonic clock
  // (platform::MonotonicNanoseconds) or as soon as possible when that has
  // passed, through ScheduleCallback. Tasks of one name are independent;
  // nothing cancels a task. DROV messages are handed to their class this
  // way. Not virtual: the virtual operations of a plug-in object keep the
  // core's documented order, the forwarders ending with EndWait.
  void ScheduleTask(std::string_view name, std::function<void()> callable, uint64_t due) {
    kel::ScheduleTask(*this, tasks_, name, std::move(callable), due);
  }

 private:
  using EventHandler = std::variant<ResourceEventHandler, DrovEventHandler, ServiceProxyEventHandler>;

  template <typename Record>
  static void DeliverEvent(const IncomingEventRecord* event) noexcept;

  // Stores the handler under the name and subscribes with the core unless
  // the name is subscribed already.
  void SubscribeRaw(const std::string& name, EventHandler handler, EventCallbackFn callback, uint32_t flag);
  std::shared_ptr<const EventHandler> FindHandler(std::string_view name) const;
  void DispatchResourceEvent(const PluginResourceEvent& event) const;
  void DispatchDrovMessage(const PluginDrovEvent& message);
  void RunDrovHandler(const PluginDrovEvent& message) const;

  std::atomic<PluginState> state_{PluginState::Constructed};
  std::string short_name_;

  std::recursive_mutex subscribe_mutex_;
  mutable std::mutex tables_mutex_;
  std::map<std::string, std::shared_ptr<const ResourceEventHandler>, std::less<>> exact_listeners_;
  std::vector<std::pair<std::string, std::shared_ptr<const ResourceEventHandler>>> wildcard_listeners_;
  std::map<std::string, std::shared_ptr<const EventHandler>, std::less<>> event_handlers_;
  std::map<std::string, uint32_t, std::less<>> subscription_counts_;
  std::map<std::string, DrovEventHandler, std::less<>> drov_waiters_;
  std::map<std::string, std::shared_ptr<const DrovEventHandler>, std::less<>> drov_handlers_;
  DrovClassNames drov_classes_;

  ServiceProxyTable service_proxies_;
  std::unique_ptr<TelemetryPoster> telemetry_;
  TaskTable tasks_;
};

}  // namespace kel
