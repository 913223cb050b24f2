#include "world_records.h"

#include "champions/value_conversion.h"
#include "serialization/json_reader.h"

namespace kel::champions::testing {
namespace {

// The plug-in's own registrations read the generated texts, as its loaders
// read them from the core: a member the generator names or types otherwise
// than the plug-in reads shows up as a missing value in the tests.
template <typename T>
T Read(const std::string& json) {
  return ConvertValue<T>(Registered().registry, ParseJson(json.c_str()).Value()).value();
}

}  // namespace

std::vector<GameDataChampion> GameDataOf(const datagen::GeneratedWorld& world) {
  std::vector<GameDataChampion> out;
  for (const datagen::GameChampion& champion : world.Champions()) {
    out.push_back(Read<GameDataChampion>(world.ChampionJson(champion.id)));
  }
  return out;
}

std::vector<CollectionsDrovChampionDTO> OwnershipOf(const datagen::GeneratedWorld& world, std::uint64_t summonerId,
                                                    std::uint64_t nowMs) {
  const BindingValue reply = ParseJson(world.OwnershipReplyJson(summonerId, nowMs).c_str()).Value();
  return ConvertValue<std::vector<CollectionsDrovChampionDTO>>(Registered().registry, reply.Find("body")).value();
}

void ApplyGameData(ChampionInventory& inventory, const datagen::GeneratedWorld& world) {
  for (GameDataChampion& champion : GameDataOf(world)) inventory.ApplyGameData(std::move(champion));
}

void LoadWorld(InventoryStore::Access& access, const datagen::GeneratedWorld& world, std::uint64_t summonerId) {
  ApplyGameData(access.Inventory(), world);
  access.Session().loggedIn = true;
  access.Session().summonerId = summonerId;
  access.Session().postLoginTimeoutExpired = true;
}

}  // namespace kel::champions::testing
