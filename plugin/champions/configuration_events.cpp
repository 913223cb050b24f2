#include "champions/configuration_events.h"

#include <optional>
#include <string>
#include <utility>

#include "champions/inventory_store.h"
#include "champions/live_configuration.h"
#include "champions/value_conversion.h"
#include "diagnostics/log.h"
#include "runtime/subscription_core.h"
#include "serialization/json_writer.h"

namespace kel::champions {

void ConfigurationEvents::OnDisabledSkins(PluginResourceEventType, const BindingValue& skinIds) {
  if (!skinIds.IsCollection()) {
    log::Write(log::kError, log::kGroupDbg, "Disabled champion skin data was not a collection.");
    return;
  }
  InventoryStore::Access access = store_.Lock();
  std::unordered_set<std::int32_t>& disabled = access.Inventory().disabledSkinIds;
  disabled.clear();
  disabled.reserve(skinIds.Size());
  for (const BindingValue& element : skinIds.Elements()) {
    if (std::optional<std::int32_t> id = ConvertValue<std::int32_t>(plugin_.Registry(), element)) disabled.insert(*id);
  }
  access.Session().disabledSkinsReceived = true;
  access.FullRefresh();
}

void ConfigurationEvents::OnInactiveChampions(PluginResourceEventType type,
                                              const std::vector<std::int32_t>& championIds) {
  if (type != PluginResourceEventType::Create && type != PluginResourceEventType::Update) return;
  InventoryStore::Access access = store_.Lock();
  access.Inventory().disabledChampionIds = championIds;
  access.Session().inactiveListReceived = true;
  access.FullRefresh();
}

void ConfigurationEvents::OnNewPlayerMaxLevel(PluginResourceEventType type, const BindingValue& level) {
  std::uint32_t maxLevel = 0;
  if (type != PluginResourceEventType::Delete) {
    // A value that is no level is ignored, like any typed value that does
    // not convert.
    std::optional<std::uint32_t> converted = ConvertValue<std::uint32_t>(plugin_.Registry(), level);
    if (!converted) return;
    maxLevel = *converted;
  }
  InventoryStore::Access access = store_.Lock();
  access.Inventory().newPlayerMaxLevel = maxLevel;
  access.FreeToPlayRefresh();
}

void ConfigurationEvents::OnNewPlayerChampions(PluginResourceEventType type, const BindingValue& championIds) {
  InventoryStore::Access access = store_.Lock();
  if (type == PluginResourceEventType::Delete) {
    access.Inventory().ClearNewPlayerChampions();
  } else {
    const std::string json = WriteJson(championIds);
    if (std::optional<std::vector<std::int32_t>> ids =
            ConvertValue<std::vector<std::int32_t>>(plugin_.Registry(), championIds)) {
      access.Inventory().FlagNewPlayerChampions(*ids);
      log::Write(log::kAlways, log::kGroupDbg, "kel-champions: Updated new champ player list to: %s", json.c_str());
    } else {
      log::Write(log::kError, log::kGroupDbg, "kel-champions: Failed to convert new champ player list: %s",
                 json.c_str());
    }
  }
  access.FreeToPlayRefresh();
}

void ConfigurationEvents::OnLiveConfiguration(const CollectionsDrovClientDynamicConfigurationNotification& message) {
  std::optional<DisabledQueues> queues = DisabledQueuesFromConfigs(plugin_.Registry(), message.configs);
  if (!queues) return;
  InventoryStore::Access access = store_.Lock();
  access.Inventory().disabledQueues = std::move(*queues);
  access.Session().liveConfigurationReceived = true;
  access.FullRefresh();
}

}  // namespace kel::champions
