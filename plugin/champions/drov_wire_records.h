#pragma once
// Records of the remote inventory service, as they travel on the wire. The
// three rental fields lead both ownership records in the order of
// CollectionsRental, so one rule builds a rental from either.

#include <cstdint>
#include <string>
#include <vector>

#include "binding/binding_value.h"

namespace kel::champions {

struct CollectionsDrovClientDynamicConfigurationNotification {
  std::string configs;  // JSON text
  bool delta = false;
};

struct CollectionsDrovStoreFulfillmentNotification {
  std::string inventoryType;
  BindingValue data;
};

struct CollectionsDrovRentalUpdateNotification {
  std::string inventoryType;
  BindingValue data;
};

// Ownership of one skin or chroma.
struct CollectionsDrovChampionSkinDTO {
  std::uint64_t endDate = 0;
  std::uint64_t purchaseDate = 0;
  std::int32_t winCountRemaining = 0;
  std::vector<std::string> sources;  // "store-rentals" and "legacy-rental" matter
  std::int32_t championId = 0;
  bool freeToPlayReward = false;
  bool lastSelected = false;
  bool owned = false;
  std::int32_t skinId = 0;  // a skin id or a chroma id
  bool stillObtainable = false;
};

// Ownership of one champion; getAvailableChampions answers a list of these.
struct CollectionsDrovChampionDTO {
  std::uint64_t endDate = 0;
  std::uint64_t purchaseDate = 0;
  std::int32_t winCountRemaining = 0;
  std::vector<std::string> sources;
  bool active = false;
  bool botEnabled = false;
  std::int32_t championId = 0;
  std::vector<CollectionsDrovChampionSkinDTO> championSkins;
  bool freeToPlay = false;  // in the free-to-play rotation
  bool freeToPlayReward = false;
  bool owned = false;
  std::uint64_t purchased = 0;
  bool rankedPlayEnabled = false;
};

}  // namespace kel::champions
