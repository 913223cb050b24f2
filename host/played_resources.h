// The resources of the other plug-ins that the plug-in reads and listens to
// (login session, summoner, loyalty, platform configuration, pre-shutdown):
// their current values, and the resource event each change publishes.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/event_bus.h"
#include "host/json.h"

namespace kel::host {

enum class ResourceChange { kCreate, kUpdate, kDelete };

class PlayedResources {
 public:
  explicit PlayedResources(EventBus& bus);

  std::optional<Json> Get(const std::string& uri) const;
  // Stores the value and publishes a create (new) or update event, on the
  // calling thread when `here`. Returns once the plug-in's callbacks have
  // taken the change, so a caller that changes resources in a loop cannot
  // outrun the plug-in; never call it from a worker of the pool.
  void Set(const std::string& uri, const JsonValue& value, bool here = false);
  // Removes the resource and publishes a delete event; false when absent.
  bool Remove(const std::string& uri);
  std::vector<std::string> Uris() const;

  // The event record {uri, eventType, data} of a change.
  static Json EventPayload(const std::string& uri, ResourceChange change, const JsonValue& data);
  // Publishes a change to whoever listens: under the resource's own event
  // name and under the general one, on the calling thread when `here`;
  // returns once both deliveries are done.
  void Announce(const std::string& uri, ResourceChange change, const JsonValue& data, bool here = false);

 private:
  EventBus& bus_;
  mutable std::mutex mutex_;
  std::map<std::string, Json> values_;
};

}  // namespace kel::host
