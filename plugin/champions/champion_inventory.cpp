#include "champions/champion_inventory.h"

#include <algorithm>
#include <utility>

#include "champions/id_lookup.h"
#include "champions/ownership_rules.h"
#include "diagnostics/log.h"

namespace kel::champions {
namespace {

constexpr std::int32_t kBaseSkinFactor = 1000;

constexpr auto kById = [](const auto& left, const auto& right) { return left.id < right.id; };

// What one skin or chroma takes over from its ownership record.
template <typename Item>
void ApplySkinRecord(Item& item, const CollectionsDrovChampionSkinDTO& record, std::uint64_t nowMs) {
  item.championId = record.championId;
  item.id = record.skinId;
  item.lastSelected = record.lastSelected;
  item.ownership = OwnershipFromWire(record, nowMs);
  item.stillObtainable = record.stillObtainable;
}

void ApplyChampionRecord(CollectionsChampion& champion, const CollectionsDrovChampionDTO& record,
                         const std::unordered_map<std::int32_t, std::int32_t>& chromaToSkin, std::uint64_t nowMs) {
  champion.active = record.active;
  champion.botEnabled = record.botEnabled;
  champion.freeToPlayInRotation = record.freeToPlay;
  champion.id = record.championId;
  champion.ownership = OwnershipFromWire(record, nowMs);
  champion.purchased = record.purchased;
  champion.rankedPlayEnabled = record.rankedPlayEnabled;

  // Computed wide and wrapped to 32 bits: an id from the service beyond
  // 2147483 would overflow the int multiplication.
  const auto baseSkinId = static_cast<std::int32_t>(static_cast<std::int64_t>(champion.id) * kBaseSkinFactor);
  CollectionsChampionSkin& base = FindOrAddById(champion.skins, baseSkinId);
  base.isBase = true;
  base.championId = champion.id;

  for (const CollectionsDrovChampionSkinDTO& skinRecord : record.championSkins) {
    const auto chroma = chromaToSkin.find(skinRecord.skinId);
    if (chroma != chromaToSkin.end()) {
      CollectionsChampionSkin& holder = FindOrAddById(champion.skins, chroma->second);
      ApplySkinRecord(FindOrAddById(holder.chromas, skinRecord.skinId), skinRecord, nowMs);
    } else {
      ApplySkinRecord(FindOrAddById(champion.skins, skinRecord.skinId), skinRecord, nowMs);
    }
  }

  std::sort(champion.skins.begin(), champion.skins.end(), kById);
  for (CollectionsChampionSkin& skin : champion.skins) {
    std::sort(skin.chromas.begin(), skin.chromas.end(), kById);
  }
}

void ApplyGameDataSkin(CollectionsChampionSkin& skin, GameDataChampionSkin&& gameSkin) {
  skin.id = gameSkin.id;
  skin.name = std::move(gameSkin.name);
  skin.splashPath = std::move(gameSkin.splashPath);
  skin.uncenteredSplashPath = std::move(gameSkin.uncenteredSplashPath);
  skin.tilePath = std::move(gameSkin.tilePath);
  skin.cardPath = std::move(gameSkin.cardPath);
  skin.rarityGemPath = std::move(gameSkin.rarityGemPath);
  skin.emblems = std::move(gameSkin.emblems);
  // Absent in game data means absent on the served skin.
  skin.splashVideoPath = std::move(gameSkin.splashVideoPath);
  skin.chromaPath = std::move(gameSkin.chromaPath);
  skin.skinType = std::move(gameSkin.skinType);
  skin.featuresText = std::move(gameSkin.featuresText);
  for (GameDataChampionChroma& gameChroma : gameSkin.chromas) {
    CollectionsChampionChroma& chroma = FindOrAddById(skin.chromas, gameChroma.id);
    chroma.colors = std::move(gameChroma.colors);
    chroma.chromaPath = std::move(gameChroma.chromaPath);
  }
}

// Ownership that came before game data could not tell a chroma from a skin,
// so each chroma record became a skin of its own. Once game data names those
// ids as chromas, their ownership moves into the chromas and the stand-in
// skins go; a skin that game data itself lists is never taken for one.
void FoldChromaStandIns(CollectionsChampion& champion, const std::vector<std::int32_t>& gameSkinIds) {
  std::unordered_map<std::int32_t, CollectionsChampionChroma*> chromas;
  for (CollectionsChampionSkin& skin : champion.skins) {
    for (CollectionsChampionChroma& chroma : skin.chromas) chromas[chroma.id] = &chroma;
  }
  const auto isStandIn = [&](const CollectionsChampionSkin& skin) {
    return !skin.isBase && chromas.count(skin.id) != 0 &&
           std::find(gameSkinIds.begin(), gameSkinIds.end(), skin.id) == gameSkinIds.end();
  };
  for (const CollectionsChampionSkin& skin : champion.skins) {
    if (!isStandIn(skin)) continue;
    CollectionsChampionChroma& chroma = *chromas.at(skin.id);
    chroma.championId = skin.championId;
    chroma.lastSelected = skin.lastSelected;
    chroma.ownership = skin.ownership;
    chroma.stillObtainable = skin.stillObtainable;
  }
  std::erase_if(champion.skins, isStandIn);
}

}  // namespace

CollectionsChampion& ChampionInventory::FindOrAddChampion(std::int32_t id) {
  return FindOrAddById(champions.Edit(), id);
}

CollectionsChampion* ChampionInventory::EditChampion(std::int32_t id) { return FindById(champions.Edit(), id); }

const CollectionsChampion* ChampionInventory::FindChampion(std::int32_t id) const {
  return FindById(champions.Get(), id);
}

void ChampionInventory::ApplyOwnership(const std::vector<CollectionsDrovChampionDTO>& records, std::uint64_t nowMs) {
  if (champions.Get().empty()) {
    std::vector<CollectionsChampion> built;
    built.reserve(records.size());
    for (const CollectionsDrovChampionDTO& record : records) {
      ApplyChampionRecord(built.emplace_back(), record, chromaToSkin, nowMs);
    }
    champions.Assign(std::move(built));
    return;
  }
  IdIndex<CollectionsChampion> index(champions.Edit());
  for (const CollectionsDrovChampionDTO& record : records) {
    ApplyChampionRecord(index.FindOrAdd(record.championId), record, chromaToSkin, nowMs);
  }
}

void ChampionInventory::ApplyGameData(GameDataChampion&& gameData) {
  ApplyGameDataTo(FindOrAddChampion(gameData.id), std::move(gameData));
}

void ChampionInventory::ApplyGameData(std::vector<GameDataChampion>&& gameData) {
  IdIndex<CollectionsChampion> index(champions.Edit());
  for (GameDataChampion& one : gameData) ApplyGameDataTo(index.FindOrAdd(one.id), std::move(one));
}

void ChampionInventory::ApplyGameDataTo(CollectionsChampion& champion, GameDataChampion&& gameData) {
  champion.alias = std::move(gameData.alias);
  champion.banVoPath = std::move(gameData.banVoPath);
  champion.chooseVoPath = std::move(gameData.chooseVoPath);
  champion.name = std::move(gameData.name);
  champion.passive.name = std::move(gameData.passive.name);
  champion.passive.description = std::move(gameData.passive.description);
  champion.roles = std::move(gameData.roles);
  champion.squarePortraitPath = std::move(gameData.squarePortraitPath);
  champion.stingerSfxPath = std::move(gameData.stingerSfxPath);
  champion.id = gameData.id;

  std::vector<std::int32_t> gameSkinIds;
  gameSkinIds.reserve(gameData.skins.size());
  for (GameDataChampionSkin& gameSkin : gameData.skins) {
    gameSkinIds.push_back(gameSkin.id);
    ApplyGameDataSkin(FindOrAddById(champion.skins, gameSkin.id), std::move(gameSkin));
  }
  FoldChromaStandIns(champion, gameSkinIds);

  champion.spells.resize(gameData.spells.size());
  for (std::size_t i = 0; i < gameData.spells.size(); ++i) {
    champion.spells[i].name = std::move(gameData.spells[i].name);
    champion.spells[i].description = std::move(gameData.spells[i].description);
  }

  for (const CollectionsChampionSkin& skin : champion.skins) {
    for (const CollectionsChampionChroma& chroma : skin.chromas) chromaToSkin[chroma.id] = skin.id;
  }
}

void ChampionInventory::ApplyDisabledChampionsAndQueues() {
  std::vector<CollectionsChampion>& list = champions.Edit();
  for (CollectionsChampion& champion : list) {
    champion.disabledQueues.clear();
    champion.active = true;
  }
  IdIndex<CollectionsChampion> index(list);
  for (const auto& [queue, ids] : disabledQueues) {
    for (std::int32_t id : ids) {
      if (CollectionsChampion* champion = index.Find(id)) {
        champion->disabledQueues.push_back(queue);
      } else {
        log::Write(log::kError, log::kGroupDbg, "Could not disable queue %s for champ %u", queue.c_str(),
                   static_cast<unsigned>(id));
      }
    }
  }
  for (std::int32_t id : disabledChampionIds) {
    if (CollectionsChampion* champion = index.Find(id)) {
      champion->active = false;
    } else {
      log::Write(log::kError, log::kGroupDbg, "Could not disable champ %u", static_cast<unsigned>(id));
    }
  }
}

// Touches every skin and chroma: at sixteen times the default world nothing
// of it is in the cache, so each champion's skins and each skin's chromas
// are asked for before they are reached (two champions, one skin ahead).
void ChampionInventory::ApplyDisabledSkins() {
  std::vector<CollectionsChampion>& list = champions.Edit();
  for (std::size_t c = 0; c < list.size(); ++c) {
    if (c + 2 < list.size()) __builtin_prefetch(list[c + 2].skins.data());
    std::vector<CollectionsChampionSkin>& skins = list[c].skins;
    for (std::size_t s = 0; s < skins.size(); ++s) {
      if (s + 1 < skins.size()) __builtin_prefetch(skins[s + 1].chromas.data());
      CollectionsChampionSkin& skin = skins[s];
      skin.disabled = disabledSkinIds.contains(skin.id);
      for (CollectionsChampionChroma& chroma : skin.chromas) chroma.disabled = disabledSkinIds.contains(chroma.id);
    }
  }
}

bool ChampionInventory::NewPlayerMode() const {
  return newPlayerMaxLevel != 0 && summonerLevel != 0 && summonerLevel <= newPlayerMaxLevel;
}

void ChampionInventory::ComputeFreeToPlayAndBaseSkins() {
  const bool newPlayerMode = NewPlayerMode();
  for (CollectionsChampion& champion : champions.Edit()) {
    champion.freeToPlay = newPlayerMode ? champion.freeToPlayForNewPlayers : champion.freeToPlayInRotation;
    auto base = std::find_if(champion.skins.begin(), champion.skins.end(),
                             [](const CollectionsChampionSkin& skin) { return skin.isBase; });
    if (base == champion.skins.end()) continue;
    // A playable champion's base skin is owned; otherwise it shares the
    // champion's rental.
    if (champion.ownership.owned || champion.freeToPlay) {
      base->ownership.owned = true;
    } else {
      base->ownership.owned = false;
      base->ownership.rental = champion.ownership.rental;
    }
  }
}

// Assigned over the previous list where nobody reads it: its texts keep
// their storage, so a refresh allocates little for the list.
void ChampionInventory::RebuildMinimalChampions() {
  const std::vector<CollectionsChampion>& source = champions.Get();
  std::vector<CollectionsChampionMinimal>& minimal = minimalChampions.Overwrite();
  minimal.resize(source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    minimal[i] = static_cast<const CollectionsChampionMinimal&>(source[i]);
  }
}

CollectionsChampionPlayableCounts ChampionInventory::PlayableCounts() const {
  CollectionsChampionPlayableCounts counts;
  for (const CollectionsChampion& champion : champions.Get()) {
    if (champion.ownership.owned) {
      ++counts.championsOwned;
    } else if (champion.ownership.freeToPlayReward) {
      ++counts.championsFreeToPlayReward;
    } else if (champion.ownership.rental.rented) {
      ++counts.championsRented;
    } else if (champion.freeToPlay) {
      ++counts.championsFreeToPlay;
    }
  }
  return counts;
}

void ChampionInventory::FlagNewPlayerChampions(const std::vector<std::int32_t>& ids) {
  IdIndex<CollectionsChampion> index(champions.Edit());
  for (std::int32_t id : ids) index.FindOrAdd(id).freeToPlayForNewPlayers = true;
}

void ChampionInventory::ClearNewPlayerChampions() {
  for (CollectionsChampion& champion : champions.Edit()) champion.freeToPlayForNewPlayers = false;
}

}  // namespace kel::champions
