#pragma once
// The champion records for tests that work on native structs without going
// through the core: the generated world as the inventory's own records, and
// records as JSON through the plug-in's own registrations, so that a test
// pins a whole record (names, values, order) against one expected text.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "binding/binding_registry.h"
#include "champions/champion_types.h"
#include "champions/value_conversion.h"
#include "champions/drov_wire_records.h"
#include "champions/game_data_records.h"
#include "champions/inventory_store.h"
#include "datagen/generated_world.h"
#include "runtime/drov_class_names.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"

namespace kel::champions::testing {

// The wire records and the public ones (prefix "KelChampions").
struct ChampionTypes {
  ChampionTypes() {
    RegisterDrovWireRecords(registry, classNames);
    RegisterPublicRecords(registry, "KelChampions", {"Plugins", "Plugin kel-champions"});
  }
  BindingRegistry registry;
  DrovClassNames classNames;
};
inline const ChampionTypes& Registered() {
  static const ChampionTypes types;
  return types;
}

template <typename T>
std::string JsonOf(const T& record) {
  BindingResult value;
  Registered().registry.ToValue(value, record);
  EXPECT_TRUE(value.Ok()) << value.Message();
  return WriteJson(value.Value(), Registered().registry);
}

// The plug-in's own registrations read the generated texts, as its loaders
// read them from the core: a member the generator names or types otherwise
// than the plug-in reads shows up as a missing value in the tests.
template <typename T>
T Read(const BindingValue& value) {
  return ConvertValue<T>(Registered().registry, value).value();
}

inline std::vector<GameDataChampion> GameDataOf(const datagen::GeneratedWorld& world) {
  std::vector<GameDataChampion> out;
  for (const datagen::GameChampion& champion : world.Champions()) {
    out.push_back(Read<GameDataChampion>(ParseJson(world.ChampionJson(champion.id).c_str()).Value()));
  }
  return out;
}

inline std::vector<CollectionsDrovChampionDTO> OwnershipOf(const datagen::GeneratedWorld& world,
                                                           std::uint64_t summonerId, std::uint64_t nowMs) {
  const BindingValue reply = ParseJson(world.OwnershipReplyJson(summonerId, nowMs).c_str()).Value();
  return Read<std::vector<CollectionsDrovChampionDTO>>(reply.Find("body"));
}

// The world's game data in the inventory in the world's order, `summonerId`
// logged in and its wait over; the caller adds what it needs under the same
// lock and refreshes.
inline void LoadWorld(InventoryStore::Access& access, const datagen::GeneratedWorld& world, std::uint64_t summonerId) {
  for (GameDataChampion& champion : GameDataOf(world)) access.Inventory().ApplyGameData(std::move(champion));
  access.Session().loggedIn = true;
  access.Session().summonerId = summonerId;
  access.Session().postLoginTimeoutExpired = true;
}

}  // namespace kel::champions::testing
