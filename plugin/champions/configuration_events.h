#pragma once
// Live configuration: the disabled skins, the inactive champions and the
// new-player rule from the platform-configuration plug-in, and the disabled
// queues from the remote configuration message. Each change is applied under
// the inventory lock and followed by the refresh it calls for: a full
// refresh when what is disabled changes, the free-to-play refresh when the
// new-player rule changes.

#include <cstdint>
#include <vector>

#include "champions/drov_wire_records.h"
#include "runtime/runtime_records.h"

namespace kel {
class BindingValue;
class SubscriptionCore;
}  // namespace kel

namespace kel::champions {

class InventoryStore;

class ConfigurationEvents {
 public:
  ConfigurationEvents(SubscriptionCore& plugin, InventoryStore& store) : plugin_(plugin), store_(store) {}

  // Whatever the event type: a value that is not a collection is refused
  // with an error line, a collection (even an empty one) replaces the set.
  void OnDisabledSkins(PluginResourceEventType type, const BindingValue& skinIds);
  // Only creates and updates count: a delete leaves the previous list.
  void OnInactiveChampions(PluginResourceEventType type, const std::vector<std::int32_t>& championIds);
  void OnNewPlayerMaxLevel(PluginResourceEventType type, const BindingValue& level);
  // Flags every listed champion; champions dropped from the list keep their
  // flag until the list is deleted.
  void OnNewPlayerChampions(PluginResourceEventType type, const BindingValue& championIds);
  // Every message replaces all disabled queues, whatever its delta flag.
  void OnLiveConfiguration(const CollectionsDrovClientDynamicConfigurationNotification& message);

 private:
  SubscriptionCore& plugin_;
  InventoryStore& store_;
};

}  // namespace kel::champions
