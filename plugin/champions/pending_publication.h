#pragma once
// What one change of the inventory publishes: the payloads taken under the
// inventory lock (snapshots of the lists, copies of smaller parts), numbered by the publication sequence in the
// order of the changes, converted and sent after the lock is released.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "binding/host_value_writer.h"
#include "binding/native_host_value.h"
#include "runtime/runtime_records.h"

namespace kel::champions {

class PendingPublication {
 public:
  struct Event {
    struct Payload {
      virtual ~Payload() = default;
      virtual void Write(HostValueWriter& writer, HostValue& out) const = 0;
    };
    std::string uri;
    PluginResourceEventType type = PluginResourceEventType::Update;
    std::unique_ptr<const Payload> payload;
  };

  // Queues a payload shared with the inventory (a snapshot, O(1) under the
  // lock; the inventory copies its list before changing it while this lives).
  template <typename T>
  void Add(std::string uri, PluginResourceEventType type, std::shared_ptr<const T> payload) {
    struct Shared final : Event::Payload {
      explicit Shared(std::shared_ptr<const T> shared) : value(std::move(shared)) {}
      void Write(HostValueWriter& writer, HostValue& out) const override { WriteHostValue(writer, out, *value); }
      std::shared_ptr<const T> value;
    };
    events_.push_back({std::move(uri), type, std::make_unique<const Shared>(std::move(payload))});
  }
  // Queues a copy of `payload` (or takes it, when moved in).
  template <typename T>
  void Add(std::string uri, PluginResourceEventType type, T payload) {
    Add(std::move(uri), type, std::make_shared<const T>(std::move(payload)));
  }

  bool Empty() const { return events_.empty(); }
  const std::vector<Event>& Events() const { return events_; }
  // Set under the inventory lock when the first event is queued.
  std::uint64_t sequence = 0;

 private:
  std::vector<Event> events_;
};

}  // namespace kel::champions
