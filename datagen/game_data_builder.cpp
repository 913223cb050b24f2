#include "datagen/game_data_builder.h"

#include <algorithm>
#include <set>
#include <string>

#include "datagen/name_maker.h"

namespace kel::datagen {
namespace {

const char* const kRoles[] = {"assassin", "fighter", "mage", "marksman", "support", "tank"};

enum class Rarity : uint8_t { Standard, Epic, Legendary, Mythic, Ultimate };

std::string Asset(const std::string& rest) { return kGameDataAssetRoot + rest; }

std::string SkinAsset(const char* folder, int32_t championId, int32_t itemId, const char* suffix) {
  return Asset(std::string(folder) + "/" + std::to_string(championId) + "/" + std::to_string(itemId) + suffix);
}

Rarity DrawRarity(SplitMix& rng) {
  const uint32_t roll = rng.Below(100);
  if (roll < 70) return Rarity::Standard;
  if (roll < 85) return Rarity::Epic;
  if (roll < 93) return Rarity::Legendary;
  if (roll < 97) return Rarity::Mythic;
  return Rarity::Ultimate;
}

const char* RarityKey(Rarity rarity) {
  switch (rarity) {
    case Rarity::Epic: return "epic";
    case Rarity::Legendary: return "legendary";
    case Rarity::Mythic: return "mythic";
    case Rarity::Ultimate: return "ultimate";
    case Rarity::Standard: break;
  }
  return "";
}

GameEmblem MakeEmblem(SplitMix& rng, const char* name, const char* key) {
  static const char* const kVertical[] = {"top", "bottom"};
  static const char* const kHorizontal[] = {"left", "center", "right"};
  GameEmblem emblem;
  emblem.name = name;
  emblem.large = Asset(std::string("emblems/") + key + "_large.png");
  emblem.small = Asset(std::string("emblems/") + key + "_small.png");
  emblem.vertical = rng.Pick(kVertical);
  emblem.horizontal = rng.Pick(kHorizontal);
  return emblem;
}

void FillSkinPaths(GameSkin& skin, int32_t championId) {
  skin.splashPath = SkinAsset("splash", championId, skin.id, ".jpg");
  skin.uncenteredSplashPath = SkinAsset("splash-uncentered", championId, skin.id, ".jpg");
  skin.tilePath = SkinAsset("tiles", championId, skin.id, ".jpg");
  skin.cardPath = SkinAsset("cards", championId, skin.id, ".jpg");
}

GameSkin MakeBaseSkin(const GameChampion& champion) {
  GameSkin skin;
  skin.id = champion.id * 1000;
  skin.isBase = true;
  skin.name = champion.name;
  FillSkinPaths(skin, champion.id);
  skin.skinType = std::string();  // present but empty, as for every base skin
  return skin;
}

GameSkin MakeThemedSkin(SplitMix& rng, const GameChampion& champion, int32_t id, std::set<std::string>& usedNames) {
  GameSkin skin;
  skin.id = id;
  do {
    skin.name = MakeSkinName(rng, champion.name);
  } while (!usedNames.insert(skin.name).second);
  FillSkinPaths(skin, champion.id);

  const Rarity rarity = DrawRarity(rng);
  if (rarity != Rarity::Standard) {
    skin.rarityGemPath = Asset(std::string("rarity/") + RarityKey(rarity) + ".png");
  }
  if (rarity == Rarity::Ultimate) skin.skinType = "Ultimate";
  if (rarity == Rarity::Legendary || rarity == Rarity::Ultimate) {
    skin.splashVideoPath = SkinAsset("splash-video", champion.id, skin.id, ".webm");
  }
  if (rarity != Rarity::Standard && rarity != Rarity::Epic && rng.Chance(1, 2)) {
    skin.featuresText = "Includes new animations, voice lines & visual effects";
  }
  if (rarity == Rarity::Mythic) {
    skin.emblems.push_back(MakeEmblem(rng, "Prestige", "prestige"));
  }
  if (rng.Chance(6, 100)) {
    skin.emblems.push_back(rng.Chance(1, 2) ? MakeEmblem(rng, "Limited Edition", "limited")
                                            : MakeEmblem(rng, "Event Exclusive", "event"));
  }
  return skin;
}

void AddChromas(SplitMix& rng, GameSkin& skin, int32_t championId, int32_t firstId) {
  const uint32_t count = rng.Between(3, 8);
  for (uint32_t i = 0; i < count; ++i) {
    GameChroma chroma;
    chroma.id = firstId + static_cast<int32_t>(i);
    chroma.colors.push_back(MakeColour(rng));
    if (rng.Chance(4, 5)) chroma.colors.push_back(MakeColour(rng));
    chroma.chromaPath = SkinAsset("chroma", championId, chroma.id, ".png");
    skin.chromas.push_back(std::move(chroma));
  }
  skin.chromaPath = SkinAsset("chroma", championId, skin.id, ".png");
}

// Skin numbers grow with small gaps. Half of the chroma sets take the numbers
// right after their skin, the rest come after the last skin (added later in
// the champion's life), so chroma ids both interleave with and follow skins.
void AddSkins(SplitMix& rng, GameChampion& champion, const WorldOptions& options) {
  champion.skins.push_back(MakeBaseSkin(champion));
  // The smaller of two draws: most champions have few skins, some many.
  const uint32_t fewest = std::max(options.minSkins, 1u);
  const uint32_t most = std::max(options.maxSkins, fewest);
  const uint32_t count = std::min(rng.Between(fewest, most), rng.Between(fewest, most));
  std::set<std::string> usedNames{champion.name};
  std::vector<std::size_t> deferredChromaSkins;
  int32_t next = champion.id * 1000 + 1;
  for (uint32_t i = 1; i < count; ++i) {
    const int32_t id = next + static_cast<int32_t>(rng.Below(3));
    champion.skins.push_back(MakeThemedSkin(rng, champion, id, usedNames));
    next = id + 1;
    if (!rng.Chance(3, 8)) continue;
    if (rng.Chance(1, 2)) {
      AddChromas(rng, champion.skins.back(), champion.id, next);
      next += static_cast<int32_t>(champion.skins.back().chromas.size());
    } else {
      deferredChromaSkins.push_back(champion.skins.size() - 1);
    }
  }
  for (std::size_t index : deferredChromaSkins) {
    GameSkin& skin = champion.skins[index];
    AddChromas(rng, skin, champion.id, next);
    next += static_cast<int32_t>(skin.chromas.size());
  }
}

std::vector<std::string> DrawRoles(SplitMix& rng) {
  std::vector<std::string> roles{rng.Pick(kRoles)};
  if (rng.Chance(2, 5)) {
    std::string second = rng.Pick(kRoles);
    if (second != roles.front()) roles.push_back(std::move(second));
  }
  return roles;
}

GameChampion MakeChampion(SplitMix& rng, int32_t id, std::string name, const WorldOptions& options) {
  GameChampion champion;
  champion.id = id;
  champion.name = std::move(name);
  champion.alias = AliasOf(champion.name);
  const std::string number = std::to_string(id);
  champion.squarePortraitPath = Asset("portraits/" + number + ".png");
  champion.banVoPath = Asset("voice/ban/" + number + ".ogg");
  champion.chooseVoPath = Asset("voice/choose/" + number + ".ogg");
  champion.stingerSfxPath = Asset("sfx/stinger/" + number + ".ogg");
  champion.passive = MakeSpell(rng, champion.name);
  champion.roles = DrawRoles(rng);
  for (int spell = 0; spell < 4; ++spell) champion.spells.push_back(MakeSpell(rng, champion.name));
  AddSkins(rng, champion, options);
  return champion;
}

}  // namespace

std::vector<GameChampion> BuildGameData(SplitMix rng, const WorldOptions& options) {
  std::vector<GameChampion> champions;
  champions.reserve(options.championCount);
  std::set<std::string> usedAliases;
  int32_t id = 0;
  for (uint32_t i = 0; i < options.championCount; ++i) {
    // Mostly consecutive ids with the occasional jump, as ids are handed
    // out over the years; they stay small enough for id x 1000 + 999.
    id += rng.Chance(4, 5) ? 1 : static_cast<int32_t>(rng.Between(2, 12));
    std::string name;
    do {
      name = MakeChampionName(rng);
    } while (!usedAliases.insert(AliasOf(name)).second);
    SplitMix championRng = rng.Fork(static_cast<uint64_t>(id));
    champions.push_back(MakeChampion(championRng, id, std::move(name), options));
  }
  return champions;
}

}  // namespace kel::datagen
