// The store's and the rental service's messages about one champion, skin or
// chroma of the logged-in summoner, built from the generated world: the
// item's own record with the step's ownership (bought now; rented from now
// for some days; rental ended). What the plug-in makes of them is its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "datagen/generated_world.h"

namespace kel::host {

enum class StoreStep { kBuy, kRent, kEndRental };

struct StoreItem {
  int32_t champion_id = 0;
  std::optional<int32_t> skin_id;  // a skin or chroma of the champion; none: the champion
  uint32_t days = 0;               // of a rental
};

struct StoreMessage {
  const char* class_name = nullptr;  // null: `error` says why (an unknown item)
  std::string body;                  // {"inventoryType", "data"} as JSON text
  std::string error;
};

StoreMessage BuildStoreMessage(const datagen::GeneratedWorld& world, uint64_t summoner_id, StoreStep step,
                               const StoreItem& item, uint64_t now_ms);

}  // namespace kel::host
