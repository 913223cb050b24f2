#pragma once
// The eight read-only inventory resources under
// "/kel-champions/v1/inventories/{summonerId}/". Every handler holds the
// inventory lock while it checks the summoner and takes its result: the two
// whole lists as shared snapshots (O(1) under the lock, written after it),
// everything smaller as a copy. So a response is one consistent state, and
// none points into the inventory as it changes.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "api/failure.h"
#include "api/maybe_type.h"
#include "champions/champion_records.h"
#include "champions/inventory_store.h"

namespace kel {
class FunctionTable;
}

namespace kel::champions {

class InventoryRoutes {
 public:
  explicit InventoryRoutes(InventoryStore& store) : store_(store) {}

  // Registers the routes in their fixed order, with empty descriptions and
  // the log group path as tags; every argument is a path value.
  void Register(FunctionTable& table, const std::array<std::string, 2>& logGroupPath);

  MaybeType<Failure, std::shared_ptr<const std::vector<CollectionsChampion>>> Champions(std::uint64_t summonerId);
  MaybeType<Failure, std::shared_ptr<const std::vector<CollectionsChampionMinimal>>> ChampionsMinimal(
      std::uint64_t summonerId);
  MaybeType<Failure, std::vector<CollectionsChampionSkinMinimal>> SkinsMinimal(std::uint64_t summonerId);
  MaybeType<Failure, CollectionsChampionPlayableCounts> PlayableCount(std::uint64_t summonerId);
  MaybeType<Failure, CollectionsChampion> Champion(std::uint64_t summonerId, std::int32_t championId);
  MaybeType<Failure, std::vector<CollectionsChampionSkin>> Skins(std::uint64_t summonerId, std::int32_t championId);
  MaybeType<Failure, CollectionsChampionSkin> Skin(std::uint64_t summonerId, std::int32_t championId,
                                                   std::int32_t skinId);
  MaybeType<Failure, std::vector<CollectionsChampionChroma>> Chromas(std::uint64_t summonerId, std::int32_t championId,
                                                                     std::int32_t skinId);

 private:
  InventoryStore& store_;
};

}  // namespace kel::champions
