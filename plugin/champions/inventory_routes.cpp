#include "champions/inventory_routes.h"

#include <utility>

#include "api/call_result.h"
#include "api/function_table.h"
#include "api/typed_handler.h"
#include "champions/id_lookup.h"
#include "diagnostics/positional_format.h"

namespace kel::champions {
namespace {

constexpr const char* kNotReceived = "Champion data has not yet been received.";
constexpr const char* kNotExisting = "Champion data does not yet exist.";

Failure NotFound(std::string message) {
  return Failure(static_cast<std::int32_t>(kStatusNotFound), std::move(message));
}

Failure NoSuchChampion(std::int32_t championId) {
  return NotFound(FormatMessage("Champion %1 does not exist.", championId));
}

Failure NoSuchSkin(std::int32_t skinId, std::int32_t championId) {
  return NotFound(FormatMessage("Skin %1 does not exist for champion %2.", skinId, championId));
}

// The skin of a champion, or the failure that says which of the two is
// missing.
MaybeType<Failure, const CollectionsChampionSkin*> FindSkin(const ChampionInventory& inventory, std::int32_t championId,
                                                            std::int32_t skinId) {
  const CollectionsChampion* champion = inventory.FindChampion(championId);
  if (champion == nullptr) return NoSuchChampion(championId);
  const CollectionsChampionSkin* skin = FindById(champion->skins, skinId);
  if (skin == nullptr) return NoSuchSkin(skinId, championId);
  return skin;
}

}  // namespace

MaybeType<Failure, std::shared_ptr<const std::vector<CollectionsChampion>>> InventoryRoutes::Champions(
    std::uint64_t summonerId) {
  InventoryStore::Access access = store_.Lock();
  if (!access.Session().Serves(summonerId)) return NotFound(kNotReceived);
  return access.Inventory().champions.Share();
}

MaybeType<Failure, std::shared_ptr<const std::vector<CollectionsChampionMinimal>>> InventoryRoutes::ChampionsMinimal(
    std::uint64_t summonerId) {
  InventoryStore::Access access = store_.Lock();
  if (!access.Session().Serves(summonerId)) return NotFound(kNotReceived);
  return access.Inventory().minimalChampions.Share();
}

MaybeType<Failure, std::vector<CollectionsChampionSkinMinimal>> InventoryRoutes::SkinsMinimal(
    std::uint64_t summonerId) {
  InventoryStore::Access access = store_.Lock();
  if (!access.Session().Serves(summonerId)) return NotFound(kNotExisting);
  std::vector<CollectionsChampionSkinMinimal> skins;
  std::size_t skinCount = 0;
  const std::vector<CollectionsChampion>& champions = access.Inventory().champions.Get();
  for (const CollectionsChampion& champion : champions) skinCount += champion.skins.size();
  skins.reserve(skinCount);
  for (const CollectionsChampion& champion : champions) {
    skins.insert(skins.end(), champion.skins.begin(), champion.skins.end());  // sliced to the minimal part
  }
  return skins;
}

MaybeType<Failure, CollectionsChampionPlayableCounts> InventoryRoutes::PlayableCount(std::uint64_t summonerId) {
  InventoryStore::Access access = store_.Lock();
  if (!access.Session().Serves(summonerId)) return NotFound(kNotExisting);
  return access.Inventory().PlayableCounts();
}

MaybeType<Failure, CollectionsChampion> InventoryRoutes::Champion(std::uint64_t summonerId, std::int32_t championId) {
  InventoryStore::Access access = store_.Lock();
  if (!access.Session().Serves(summonerId)) return NotFound(kNotExisting);
  const CollectionsChampion* champion = access.Inventory().FindChampion(championId);
  if (champion == nullptr) return NoSuchChampion(championId);
  return *champion;
}

MaybeType<Failure, std::vector<CollectionsChampionSkin>> InventoryRoutes::Skins(std::uint64_t summonerId,
                                                                                std::int32_t championId) {
  InventoryStore::Access access = store_.Lock();
  if (!access.Session().Serves(summonerId)) return NotFound(kNotExisting);
  const CollectionsChampion* champion = access.Inventory().FindChampion(championId);
  if (champion == nullptr) return NoSuchChampion(championId);
  return champion->skins;
}

MaybeType<Failure, CollectionsChampionSkin> InventoryRoutes::Skin(std::uint64_t summonerId, std::int32_t championId,
                                                                  std::int32_t skinId) {
  InventoryStore::Access access = store_.Lock();
  if (!access.Session().Serves(summonerId)) return NotFound(kNotExisting);
  auto skin = FindSkin(access.Inventory(), championId, skinId);
  if (skin.IsFailure()) return std::move(skin).GetFailure();
  return *skin.Value();
}

MaybeType<Failure, std::vector<CollectionsChampionChroma>> InventoryRoutes::Chromas(std::uint64_t summonerId,
                                                                                    std::int32_t championId,
                                                                                    std::int32_t skinId) {
  InventoryStore::Access access = store_.Lock();
  if (!access.Session().Serves(summonerId)) return NotFound(kNotExisting);
  auto skin = FindSkin(access.Inventory(), championId, skinId);
  if (skin.IsFailure()) return std::move(skin).GetFailure();
  return skin.Value()->chromas;
}

void InventoryRoutes::Register(FunctionTable& table, const std::array<std::string, 2>& logGroupPath) {
  constexpr const char* kRoot = "/kel-champions/v1/inventories/{summonerId}";
  const std::vector<std::string> tags(logGroupPath.begin(), logGroupPath.end());
  auto route = [&](const char* rest) { return RouteSpec{RequestMethod::kGet, std::string(kRoot) + rest, {}, tags}; };
  const ParameterSpec summoner{"summonerId", ParameterLocation::kPath};
  const ParameterSpec champion{"championId", ParameterLocation::kPath};

  RegisterRoute<std::shared_ptr<const std::vector<CollectionsChampion>>, std::uint64_t>(
      table, route("/champions"), {summoner}, [this](std::uint64_t s) { return Champions(s); });
  RegisterRoute<std::shared_ptr<const std::vector<CollectionsChampionMinimal>>, std::uint64_t>(
      table, route("/champions-minimal"), {summoner}, [this](std::uint64_t s) { return ChampionsMinimal(s); });
  RegisterRoute<std::vector<CollectionsChampionSkinMinimal>, std::uint64_t>(
      table, route("/skins-minimal"), {summoner}, [this](std::uint64_t s) { return SkinsMinimal(s); });
  RegisterRoute<CollectionsChampionPlayableCounts, std::uint64_t>(table, route("/champions-playable-count"), {summoner},
                                                                  [this](std::uint64_t s) { return PlayableCount(s); });
  RegisterRoute<CollectionsChampion, std::uint64_t, std::int32_t>(
      table, route("/champions/{championId}"), {summoner, champion},
      [this](std::uint64_t s, std::int32_t c) { return Champion(s, c); });
  RegisterRoute<std::vector<CollectionsChampionSkin>, std::uint64_t, std::int32_t>(
      table, route("/champions/{championId}/skins"), {summoner, champion},
      [this](std::uint64_t s, std::int32_t c) { return Skins(s, c); });
  RegisterRoute<CollectionsChampionSkin, std::uint64_t, std::int32_t, std::int32_t>(
      table, route("/champions/{championId}/skins/{championSkinId}"),
      {summoner, champion, ParameterSpec{"championSkinId", ParameterLocation::kPath}},
      [this](std::uint64_t s, std::int32_t c, std::int32_t k) { return Skin(s, c, k); });
  RegisterRoute<std::vector<CollectionsChampionChroma>, std::uint64_t, std::int32_t, std::int32_t>(
      table, route("/champions/{championId}/skins/{skinId}/chromas"),
      {summoner, champion, ParameterSpec{"skinId", ParameterLocation::kPath}},
      [this](std::uint64_t s, std::int32_t c, std::int32_t k) { return Chromas(s, c, k); });
}

}  // namespace kel::champions
