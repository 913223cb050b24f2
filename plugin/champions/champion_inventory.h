#pragma once
// The merged champion inventory: one list of champions built from game
// data, ownership records and live configuration, which arrive in any order,
// and every derived field. Champions, skins and chromas are never removed; a
// later input updates them in place.
//
// Not thread-safe by itself: the plug-in keeps it behind the inventory lock
// (see InventoryStore) and every operation here runs with that lock held.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "champions/champion_records.h"
#include "champions/drov_wire_records.h"
#include "champions/game_data_records.h"
#include "champions/shared_snapshot.h"

namespace kel::champions {

struct ChampionInventory {
  // The inventory, in order of first appearance of each champion id. Shared
  // with the publications and routes that read it after the lock is
  // released; an edit copies it only while one of them is still reading.
  SharedSnapshot<std::vector<CollectionsChampion>> champions;
  // The minimal part of every champion, same order; rebuilt by each
  // free-to-play refresh.
  SharedSnapshot<std::vector<CollectionsChampionMinimal>> minimalChampions;
  // Every chroma of every game-data skin, to the skin that holds it; tells
  // ownership records for chromas from those for skins.
  std::unordered_map<std::int32_t, std::int32_t> chromaToSkin;
  // Live configuration and the summoner, kept by the session handlers.
  std::unordered_set<std::int32_t> disabledSkinIds;  // skins and chromas
  std::unordered_map<std::string, std::vector<std::int32_t>> disabledQueues;
  std::vector<std::int32_t> disabledChampionIds;
  std::uint32_t summonerLevel = 0;      // 0: no summoner known
  std::uint32_t newPlayerMaxLevel = 0;  // 0: no new-player rule

  // The champion with that id, appending a default one with only the id set
  // when there is none. The reference lives until the list grows or is
  // shared.
  CollectionsChampion& FindOrAddChampion(std::int32_t id);
  // To change it: the list is copied first if it is being read elsewhere.
  CollectionsChampion* EditChampion(std::int32_t id);
  const CollectionsChampion* FindChampion(std::int32_t id) const;

  // The reply of getAvailableChampions. An empty inventory is replaced by
  // one champion per record, in reply order; otherwise each record updates
  // (or appends) the champion of its id. Rentals are judged at `nowMs`.
  void ApplyOwnership(const std::vector<CollectionsDrovChampionDTO>& records, std::uint64_t nowMs);
  // One champion's game data, moved in. Skins and chromas it adds are
  // appended in game-data order; ownership-derived fields and the base-skin
  // flag stay as they were. A skin that an earlier ownership reply made of
  // a chroma record becomes that chroma's ownership.
  void ApplyGameData(GameDataChampion&& gameData);
  // Each champion's game data in turn, as above, finding the champions
  // through one id index: a scan per champion made loading quadratic.
  void ApplyGameData(std::vector<GameDataChampion>&& gameData);

  // The derived passes, in the order a full refresh runs them.
  void ApplyDisabledChampionsAndQueues();
  void ApplyDisabledSkins();
  void ComputeFreeToPlayAndBaseSkins();
  void RebuildMinimalChampions();

  // Counted on the spot from the champion list, each champion once.
  CollectionsChampionPlayableCounts PlayableCounts() const;

  // The live list of champions free for new players: flags every listed
  // champion (adding unknown ones) and leaves the others as they were.
  void FlagNewPlayerChampions(const std::vector<std::int32_t>& ids);
  void ClearNewPlayerChampions();

  bool NewPlayerMode() const;

 private:
  void ApplyGameDataTo(CollectionsChampion& champion, GameDataChampion&& gameData);
};

}  // namespace kel::champions
