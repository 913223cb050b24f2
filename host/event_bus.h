// The core's event bus as the plug-in sees it: its subscriptions, the
// delivery of events to its callbacks on the worker pool, and the events it
// publishes.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/event_hub.h"
#include "host/json.h"
#include "host/worker_pool.h"
#include "runtime/event_abi.h"
#include "runtime/host_abi.h"

namespace kel::host {

class EventBus {
 public:
  EventBus(WorkerPool& pool, EventHub& hub);

  // SubscribeEvent and UnsubscribeEvent of the host table. One callback per
  // name: a second subscription replaces the first.
  void Subscribe(const std::string& name, uint32_t plugin_handle, EventCallbackFn callback, void* context,
                 uint32_t flag);
  void Unsubscribe(const std::string& name, uint32_t plugin_handle);

  // Ready once a delivery's callback has returned or the delivery was
  // dropped (nothing subscribed, or the pool closed first).
  using Delivered = std::shared_future<void>;

  // Queues a delivery of `payload` to the callback subscribed under `name`.
  // Deliveries of one name reach the plug-in one at a time, in the order
  // given (a session that goes offline and back must not arrive the other
  // way round); those of different names run at once. The subscription is
  // looked up again when a delivery runs, so an unsubscribed name gets
  // nothing more.
  Delivered Deliver(const std::string& name, const JsonValue& payload);
  // The same on the calling thread, returning when the callback has.
  bool DeliverHere(const std::string& name, const JsonValue& payload);

  // PublishEvent: copies the record before returning, records it for the
  // event stream and delivers it to any subscriber of its name.
  void Publish(const OutgoingEventRecord& record);

  std::vector<std::string> SubscribedNames() const;
  uint64_t PublishedCount() const { return published_.load(); }
  uint64_t DeliveredCount() const { return delivered_.load(); }

 private:
  struct Subscription {
    uint32_t plugin_handle = 0;
    EventCallbackFn callback = nullptr;
    void* context = nullptr;
    uint32_t flag = 0;
  };

  struct Pending {
    std::shared_ptr<const Json> payload;
    std::shared_ptr<std::promise<void>> done;
  };
  struct Strand {
    std::deque<Pending> pending;
    bool draining = false;  // a job delivers this name's events
  };

  std::optional<Subscription> FindLocked(const std::string& name) const;
  std::optional<Subscription> Find(const std::string& name) const;
  void Drain(const std::string& name);
  void Call(const std::string& name, const JsonValue& payload);

  WorkerPool& pool_;
  EventHub& hub_;
  mutable std::mutex mutex_;
  std::map<std::string, Subscription> subscriptions_;
  std::map<std::string, Strand> strands_;
  std::atomic<uint64_t> published_{0};
  std::atomic<uint64_t> delivered_{0};
};

}  // namespace kel::host
