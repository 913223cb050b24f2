#pragma once
// The live configuration as the inventory receives it: four platform
// configuration resources and one remote configuration message.

#include <string>
#include <utility>
#include <vector>

#include "datagen/world_model.h"

namespace kel::datagen {

inline constexpr const char* kDisabledSkinsUri =
    "/kel-platform-config/v1/namespaces/DisabledChampionSkins/DisabledChampionSkins";
inline constexpr const char* kInactiveChampionsUri =
    "/kel-platform-config/v1/namespaces/ClientSystemStates/inactiveChampionIdList";
inline constexpr const char* kNewPlayerMaxLevelUri =
    "/kel-platform-config/v1/namespaces/ClientSystemStates/"
    "freeToPlayChampionsForNewPlayersMaxLevel";
inline constexpr const char* kNewPlayerChampionsUri =
    "/kel-platform-config/v1/namespaces/ClientSystemStates/freeToPlayChampionForNewPlayersIdList";
inline constexpr const char* kDynamicConfigurationClass =
    "com.tesselworks.platform.client.dynamic.configuration.ClientDynamicConfigurationNotification";

struct ResourceText {
  std::string uri;
  std::string json;
};

// The four resources, in the order the inventory subscribes to them.
std::vector<ResourceText> ConfigurationResources(const LiveConfiguration& config);

// The message's `configs` text: {"DisabledChampions": {queue: "[ids]"}, ...}.
// Each queue's ids are themselves JSON text inside a string.
std::string DynamicConfigurationText(const LiveConfiguration& config);

// The whole remote event: {"clientId","subtopic","typeName","body"} with the
// body {"configs", "delta"}.
std::string DynamicConfigurationEventJson(const LiveConfiguration& config);

}  // namespace kel::datagen
