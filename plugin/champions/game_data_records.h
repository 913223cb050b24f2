#pragma once
// Static champion data as the game-data plug-in serves it. The loader reads
// these records and the derivation moves them into the inventory.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "champions/champion_records.h"

namespace kel::champions {

// One entry of the champion summary list.
struct GameDataChampionSummary {
  std::int32_t id = 0;
};

struct GameDataChampionChroma {
  std::int32_t id = 0;
  std::vector<std::string> colors;
  std::string chromaPath;  // plain here, optional on the served chroma
};

struct GameDataChampionSkin {
  std::int32_t id = 0;
  std::string name;
  std::vector<GameDataChampionChroma> chromas;
  std::vector<CollectionsChampionSkinEmblem> emblems;
  std::string splashPath;
  std::string uncenteredSplashPath;
  std::string tilePath;
  std::string cardPath;
  std::string rarityGemPath;
  std::optional<std::string> splashVideoPath;
  std::optional<std::string> chromaPath;
  std::optional<std::string> skinType;
  std::optional<std::string> featuresText;
};

struct GameDataChampionSpell {
  std::string name;
  std::string description;
};

struct GameDataChampion {
  std::int32_t id = 0;
  std::string alias;
  std::string banVoPath;
  std::string chooseVoPath;
  std::string name;
  std::string squarePortraitPath;
  std::string stingerSfxPath;
  GameDataChampionSpell passive;
  std::vector<std::string> roles;
  std::vector<GameDataChampionSkin> skins;
  std::vector<GameDataChampionSpell> spells;
};

}  // namespace kel::champions
