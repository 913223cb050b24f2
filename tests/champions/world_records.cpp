#include "world_records.h"

namespace kel::champions::testing {

GameDataChampion ToGameData(const datagen::GameChampion& champion) {
  GameDataChampion out;
  out.id = champion.id;
  out.alias = champion.alias;
  out.banVoPath = champion.banVoPath;
  out.chooseVoPath = champion.chooseVoPath;
  out.name = champion.name;
  out.squarePortraitPath = champion.squarePortraitPath;
  out.stingerSfxPath = champion.stingerSfxPath;
  out.passive = {champion.passive.name, champion.passive.description};
  out.roles = champion.roles;
  for (const datagen::GameSkin& skin : champion.skins) {
    GameDataChampionSkin& s = out.skins.emplace_back();
    s.id = skin.id;
    s.name = skin.name;
    for (const datagen::GameChroma& chroma : skin.chromas) {
      s.chromas.push_back({chroma.id, chroma.colors, chroma.chromaPath});
    }
    for (const datagen::GameEmblem& emblem : skin.emblems) {
      s.emblems.push_back({emblem.name, {emblem.large, emblem.small}, {emblem.vertical, emblem.horizontal}});
    }
    s.splashPath = skin.splashPath;
    s.uncenteredSplashPath = skin.uncenteredSplashPath;
    s.tilePath = skin.tilePath;
    s.cardPath = skin.cardPath;
    s.rarityGemPath = skin.rarityGemPath;
    s.splashVideoPath = skin.splashVideoPath;
    s.chromaPath = skin.chromaPath;
    s.skinType = skin.skinType;
    s.featuresText = skin.featuresText;
  }
  for (const datagen::GameSpell& spell : champion.spells) out.spells.push_back({spell.name, spell.description});
  return out;
}

std::vector<GameDataChampion> GameDataOf(const datagen::GeneratedWorld& world) {
  std::vector<GameDataChampion> out;
  for (const datagen::GameChampion& champion : world.Champions()) out.push_back(ToGameData(champion));
  return out;
}

CollectionsDrovChampionDTO ToWire(const datagen::ChampionOwnershipRecord& record) {
  CollectionsDrovChampionDTO out;
  out.endDate = record.endDate;
  out.purchaseDate = record.purchaseDate;
  out.winCountRemaining = record.winCountRemaining;
  out.sources = record.sources;
  out.active = record.active;
  out.botEnabled = record.botEnabled;
  out.championId = record.championId;
  for (const datagen::SkinOwnershipRecord& skin : record.championSkins) {
    out.championSkins.push_back({skin.endDate, skin.purchaseDate, skin.winCountRemaining, skin.sources,
                                 skin.championId, skin.freeToPlayReward, skin.lastSelected, skin.owned, skin.skinId,
                                 skin.stillObtainable});
  }
  out.freeToPlay = record.freeToPlay;
  out.freeToPlayReward = record.freeToPlayReward;
  out.owned = record.owned;
  out.purchased = record.purchased;
  out.rankedPlayEnabled = record.rankedPlayEnabled;
  return out;
}

std::vector<CollectionsDrovChampionDTO> OwnershipOf(const datagen::GeneratedWorld& world, std::uint64_t summonerId,
                                                    std::uint64_t nowMs) {
  std::vector<CollectionsDrovChampionDTO> out;
  for (const datagen::ChampionOwnershipRecord& record : world.Ownership(summonerId, nowMs)) {
    out.push_back(ToWire(record));
  }
  return out;
}

}  // namespace kel::champions::testing
