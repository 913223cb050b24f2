#pragma once
// The champion inventory as it is served: champions, skins, chromas and
// their ownership. Every route result and every update event is one of these
// records or a list of them. Field order is the registration order, which is
// the order the binding layer visits the fields.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kel::champions {

// Rental state of one champion, skin or chroma.
struct CollectionsRental {
  std::uint64_t endDate = 0;       // ms since 1970-01-01 UTC, as received
  std::uint64_t purchaseDate = 0;  // 0 when never purchased
  std::int32_t winCountRemaining = 0;
  bool rented = false;  // derived from the sources, the dates and the wall clock
};

struct CollectionsOwnership {
  bool freeToPlayReward = false;
  bool owned = false;
  CollectionsRental rental;
};

struct CollectionsChampionChroma {
  std::int32_t championId = 0;
  std::optional<std::string> chromaPath;
  std::int32_t id = 0;  // same number space as skin ids
  std::string name;     // no input carries a chroma name: served empty
  CollectionsOwnership ownership;
  bool disabled = false;
  bool stillObtainable = false;
  bool lastSelected = false;
  std::vector<std::string> colors;
};

struct CollectionsChampionSkinEmblemPath {
  std::string large;
  std::string small;
};

struct CollectionsChampionSkinEmblemPosition {
  std::string vertical;
  std::string horizontal;
};

// Game data uses this same record for its skins' emblems.
struct CollectionsChampionSkinEmblem {
  std::string name;
  CollectionsChampionSkinEmblemPath emblemPath;
  CollectionsChampionSkinEmblemPosition positions;
};

// The leading part of a full skin: slicing a CollectionsChampionSkin gives
// the skins-minimal view.
struct CollectionsChampionSkinMinimal {
  std::int32_t championId = 0;
  std::optional<std::string> chromaPath;
  std::int32_t id = 0;  // a champion's base skin has id championId * 1000
  std::string name;
  CollectionsOwnership ownership;
  bool isBase = false;
  bool disabled = false;
  bool stillObtainable = false;
  bool lastSelected = false;
  std::string splashPath;
  std::string tilePath;
};

struct CollectionsChampionSkin : CollectionsChampionSkinMinimal {
  std::vector<CollectionsChampionChroma> chromas;  // ascending ids once ownership is applied
  std::vector<CollectionsChampionSkinEmblem> emblems;
  std::string uncenteredSplashPath;
  std::string cardPath;
  std::string rarityGemPath;
  std::optional<std::string> splashVideoPath;
  std::optional<std::string> skinType;
  std::optional<std::string> featuresText;
};

struct CollectionsChampionSpell {
  std::string name;
  std::string description;
};

// The leading part of a full champion. The two free-to-play inputs are kept
// in memory only: they are not registered, so they never reach a response
// or an event.
struct CollectionsChampionMinimal {
  std::string alias;
  std::string banVoPath;
  std::string chooseVoPath;
  std::vector<std::string> disabledQueues;
  std::int32_t id = 0;
  std::string name;
  CollectionsOwnership ownership;
  std::uint64_t purchased = 0;  // passed through as received
  std::vector<std::string> roles;
  std::string squarePortraitPath;
  std::string stingerSfxPath;
  bool active = false;
  bool botEnabled = false;
  bool freeToPlay = false;               // derived from the two flags below
  bool freeToPlayForNewPlayers = false;  // in the live new-player list
  bool freeToPlayInRotation = false;     // the ownership record's freeToPlay
  bool rankedPlayEnabled = false;
};

struct CollectionsChampion : CollectionsChampionMinimal {
  CollectionsChampionSpell passive;
  std::vector<CollectionsChampionSkin> skins;  // ascending ids once ownership is applied
  std::vector<CollectionsChampionSpell> spells;
};

struct CollectionsChampionPlayableCounts {
  std::uint32_t championsOwned = 0;
  std::uint32_t championsRented = 0;
  std::uint32_t championsFreeToPlay = 0;
  std::uint32_t championsFreeToPlayReward = 0;
};

}  // namespace kel::champions
