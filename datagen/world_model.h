#pragma once
// The generated world as plain data: what the game-data plug-in serves, what
// the remote inventory service answers for one summoner, and the live
// configuration. The JSON writers turn these into the exact texts the
// plug-in receives; tests read them directly to know what to expect.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kel::datagen {

struct GameChroma {
  int32_t id = 0;
  std::vector<std::string> colors;
  std::string chromaPath;
};

struct GameEmblem {
  std::string name;
  std::string large;       // emblemPath.large
  std::string small;       // emblemPath.small
  std::string vertical;    // positions.vertical
  std::string horizontal;  // positions.horizontal
};

struct GameSkin {
  int32_t id = 0;
  bool isBase = false;  // never written: game data does not carry it
  std::string name;
  std::vector<GameChroma> chromas;
  std::vector<GameEmblem> emblems;
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

struct GameSpell {
  std::string name;
  std::string description;
};

struct GameChampion {
  int32_t id = 0;
  std::string alias;
  std::string banVoPath;
  std::string chooseVoPath;
  std::string name;
  std::string squarePortraitPath;
  std::string stingerSfxPath;
  GameSpell passive;
  std::vector<std::string> roles;
  std::vector<GameSkin> skins;    // base skin first, then ascending ids
  std::vector<GameSpell> spells;  // always four
};

// How the remote service sees one champion for one summoner.
enum class OwnershipKind : uint8_t {
  Purchased,         // owned, bought in the past
  NeverPurchased,    // not owned, no rental, purchaseDate 0
  StoreRental,       // "store-rentals": rented whatever the dates say
  LegacyRental,      // "legacy-rental" ending a little after "now"
  LegacyWinRental,   // "legacy-rental" limited by wins, no end date
  FreeToPlayReward,  // granted as a free-to-play reward
};

// Field order follows the wire records: the three rental fields lead.
struct SkinOwnershipRecord {
  uint64_t endDate = 0;
  uint64_t purchaseDate = 0;
  int32_t winCountRemaining = 0;
  std::vector<std::string> sources;
  int32_t championId = 0;
  bool freeToPlayReward = false;
  bool lastSelected = false;
  bool owned = false;
  int32_t skinId = 0;  // a skin id or a chroma id
  bool stillObtainable = true;
};

struct ChampionOwnershipRecord {
  OwnershipKind kind = OwnershipKind::NeverPurchased;  // never written
  uint64_t endDate = 0;
  uint64_t purchaseDate = 0;
  int32_t winCountRemaining = 0;
  std::vector<std::string> sources;
  bool active = true;
  bool botEnabled = true;
  int32_t championId = 0;
  std::vector<SkinOwnershipRecord> championSkins;  // ascending skinId
  bool freeToPlay = false;                         // in the rotation
  bool freeToPlayReward = false;
  bool owned = false;
  uint64_t purchased = 0;
  bool rankedPlayEnabled = true;
};

struct LiveConfiguration {
  std::vector<int32_t> inactiveChampionIds;
  std::vector<int32_t> disabledSkinIds;  // skins and chromas
  // Queue name and the champions disabled in it, in the order written.
  std::vector<std::pair<std::string, std::vector<int32_t>>> disabledQueues;
  std::vector<int32_t> rotationChampionIds;
  std::vector<int32_t> newPlayerChampionIds;
  uint32_t newPlayerMaxLevel = 0;
};

}  // namespace kel::datagen
