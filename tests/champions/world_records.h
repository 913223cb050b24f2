#pragma once
// The generated world as the inventory's own records, for tests that work on
// native structs without going through the core.

#include <cstdint>
#include <vector>

#include "champions/drov_wire_records.h"
#include "champions/game_data_records.h"
#include "champions/inventory_store.h"
#include "datagen/generated_world.h"

namespace kel::champions::testing {

std::vector<GameDataChampion> GameDataOf(const datagen::GeneratedWorld& world);
// Every champion's game data applied to `inventory`, in the world's order.
void ApplyGameData(ChampionInventory& inventory, const datagen::GeneratedWorld& world);
std::vector<CollectionsDrovChampionDTO> OwnershipOf(const datagen::GeneratedWorld& world, std::uint64_t summonerId,
                                                    std::uint64_t nowMs);
// The world's game data in the inventory, `summonerId` logged in and its
// wait over; the caller adds what it needs under the same lock and refreshes.
void LoadWorld(InventoryStore::Access& access, const datagen::GeneratedWorld& world, std::uint64_t summonerId);

}  // namespace kel::champions::testing
