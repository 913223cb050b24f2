#include <gtest/gtest.h>

#include <algorithm>

#include "champions/champion_inventory.h"
#include "champions/ownership_rules.h"
#include "datagen/generated_world.h"
#include "support/recording_log_target.h"
#include "world_records.h"

namespace kel::champions {
namespace {

using testing::GameDataOf;
using testing::OwnershipOf;

constexpr std::uint64_t kNow = 1'780'000'000'000ull;
constexpr std::uint64_t kSummoner = 4242;

datagen::WorldOptions SmallWorld() {
  datagen::WorldOptions options;
  options.championCount = 12;
  return options;
}

std::vector<std::int32_t> Ids(const auto& records) {
  std::vector<std::int32_t> ids;
  for (const auto& record : records) ids.push_back(record.id);
  return ids;
}

bool SortedById(const auto& records) {
  return std::is_sorted(records.begin(), records.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
}

CollectionsDrovChampionDTO ChampionRecord(std::int32_t id) {
  CollectionsDrovChampionDTO record;
  record.championId = id;
  record.active = true;
  return record;
}

TEST(InventoryDerivation, OwnershipFirstGivesBaseSkinsThenGameDataFillsInPlace) {
  const datagen::GeneratedWorld world(7, SmallWorld());
  std::vector<CollectionsDrovChampionDTO> ownership = OwnershipOf(world, kSummoner, kNow);
  std::reverse(ownership.begin(), ownership.end());  // an order game data does not share

  ChampionInventory inventory;
  inventory.ApplyOwnership(ownership, kNow);
  ASSERT_EQ(inventory.champions.size(), ownership.size());
  for (std::size_t i = 0; i < ownership.size(); ++i) {
    const CollectionsChampion& champion = inventory.champions[i];
    EXPECT_EQ(champion.id, ownership[i].championId);
    EXPECT_EQ(champion.ownership.owned, ownership[i].owned);
    EXPECT_TRUE(champion.name.empty());
    const auto base = std::find_if(champion.skins.begin(), champion.skins.end(), [](auto& s) { return s.isBase; });
    ASSERT_NE(base, champion.skins.end());
    EXPECT_EQ(base->id, champion.id * 1000);
    EXPECT_EQ(base->championId, champion.id);
  }
  const std::vector<std::int32_t> order = Ids(inventory.champions);

  testing::ApplyGameData(inventory, world);
  EXPECT_EQ(Ids(inventory.champions), order);
  for (const CollectionsChampion& champion : inventory.champions) {
    const datagen::GameChampion* game = world.FindChampion(champion.id);
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(champion.name, game->name);
    EXPECT_EQ(champion.spells.size(), game->spells.size());
    // Game data leaves the base-skin flag alone.
    ASSERT_FALSE(champion.skins.empty());
    EXPECT_TRUE(champion.skins.front().isBase);
    EXPECT_EQ(champion.skins.front().name, game->skins.front().name);
  }
}

TEST(InventoryDerivation, GameDataFirstKeepsItsOrderUntilOwnershipSortsSkins) {
  const datagen::GeneratedWorld world(8, SmallWorld());
  std::vector<GameDataChampion> gameData = GameDataOf(world);
  std::reverse(gameData.begin(), gameData.end());
  for (GameDataChampion& champion : gameData) std::reverse(champion.skins.begin(), champion.skins.end());

  ChampionInventory inventory;
  std::vector<std::int32_t> gameOrder;
  for (GameDataChampion& champion : gameData) {
    gameOrder.push_back(champion.id);
    inventory.ApplyGameData(std::move(champion));
  }
  EXPECT_EQ(Ids(inventory.champions), gameOrder);
  for (const CollectionsChampion& champion : inventory.champions) {
    EXPECT_FALSE(champion.ownership.owned);
    EXPECT_FALSE(SortedById(champion.skins));
    for (const CollectionsChampionSkin& skin : champion.skins) EXPECT_FALSE(skin.isBase);
  }

  inventory.ApplyOwnership(OwnershipOf(world, kSummoner, kNow), kNow);
  EXPECT_EQ(Ids(inventory.champions), gameOrder);
  for (const CollectionsChampion& champion : inventory.champions) {
    EXPECT_TRUE(SortedById(champion.skins));
    EXPECT_TRUE(champion.skins.front().isBase);
    for (const CollectionsChampionSkin& skin : champion.skins) EXPECT_TRUE(SortedById(skin.chromas));
  }
}

// Champion 1: base skin 1000, and skin 1001 with chroma 1005.
GameDataChampion GameDataWithChroma() {
  GameDataChampion game;
  game.id = 1;
  game.skins = {{.id = 1000}, {.id = 1001, .chromas = {{1005, {"#aa0000"}, "/chroma/1005.png"}}}};
  return game;
}

// Champion 1's ownership, with chroma 1005 owned and last selected.
CollectionsDrovChampionDTO RecordOwningChroma() {
  CollectionsDrovChampionDTO record = ChampionRecord(1);
  record.championSkins.push_back({.championId = 1, .lastSelected = true, .owned = true, .skinId = 1005});
  return record;
}

// In either order the chroma ends up inside its skin, never as a skin of its
// own (before game data nothing tells it from one).
TEST(InventoryDerivation, AChromaRecordIsServedInsideItsSkinWhicheverArrivesFirst) {
  for (const bool ownershipFirst : {false, true}) {
    SCOPED_TRACE(ownershipFirst ? "ownership first" : "game data first");
    ChampionInventory inventory;
    if (ownershipFirst) {
      inventory.ApplyOwnership({RecordOwningChroma()}, kNow);
      EXPECT_EQ(Ids(inventory.champions.front().skins), (std::vector<std::int32_t>{1000, 1005}));
    }
    inventory.ApplyGameData(GameDataWithChroma());
    EXPECT_EQ(inventory.chromaToSkin.at(1005), 1001);
    if (!ownershipFirst) inventory.ApplyOwnership({RecordOwningChroma()}, kNow);
    const CollectionsChampion& champion = inventory.champions.front();
    EXPECT_EQ(Ids(champion.skins), (std::vector<std::int32_t>{1000, 1001}));
    const CollectionsChampionChroma& served = champion.skins[1].chromas.front();
    EXPECT_EQ(served.id, 1005);
    EXPECT_EQ(served.championId, 1);
    EXPECT_TRUE(served.ownership.owned);
    EXPECT_TRUE(served.lastSelected);
    EXPECT_EQ(served.chromaPath, "/chroma/1005.png");
    EXPECT_EQ(served.colors, (std::vector<std::string>{"#aa0000"}));
  }
}

TEST(InventoryDerivation, GameDataClearsOptionalPathsItNoLongerCarries) {
  ChampionInventory inventory;
  GameDataChampion first;
  first.id = 2;
  first.skins.push_back({.id = 2000, .splashVideoPath = "/video.webm", .skinType = ""});
  inventory.ApplyGameData(std::move(first));
  EXPECT_EQ(inventory.champions[0].skins[0].skinType, std::optional<std::string>(""));

  GameDataChampion second;
  second.id = 2;
  second.skins.push_back({.id = 2000});
  inventory.ApplyGameData(std::move(second));
  EXPECT_FALSE(inventory.champions[0].skins[0].splashVideoPath.has_value());
  EXPECT_FALSE(inventory.champions[0].skins[0].skinType.has_value());
}

TEST(InventoryDerivation, RentalRule) {
  const std::vector<std::string> store = {"store-rentals"};
  const std::vector<std::string> legacy = {"purchase", "legacy-rental"};
  EXPECT_TRUE(IsRented(store, 0, 123, 0, kNow));  // store rental, even when purchased
  EXPECT_FALSE(IsRented({"purchase"}, kNow + 1, 0, 5, kNow));
  EXPECT_TRUE(IsRented(legacy, kNow + 1, 0, 0, kNow));    // ends later
  EXPECT_FALSE(IsRented(legacy, kNow, 0, 0, kNow));       // ends now
  EXPECT_TRUE(IsRented(legacy, 0, 0, 3, kNow));           // wins left
  EXPECT_FALSE(IsRented(legacy, 0, 0, -3, kNow));         // signed compare
  EXPECT_FALSE(IsRented(legacy, kNow + 1, 99, 3, kNow));  // purchased since
}

TEST(InventoryDerivation, DisabledChampionsAndQueuesFollowTheLiveListsOnly) {
  kel::testing::RecordingLogTarget log;
  ChampionInventory inventory;
  CollectionsDrovChampionDTO inactiveByRecord = ChampionRecord(1);
  inactiveByRecord.active = false;
  inventory.ApplyOwnership({inactiveByRecord, ChampionRecord(2)}, kNow);
  inventory.disabledChampionIds = {2, 77};
  inventory.disabledQueues["ARAM"] = {1, 1, 88};
  inventory.champions[0].disabledQueues = {"stale"};

  inventory.ApplyDisabledChampionsAndQueues();
  EXPECT_TRUE(inventory.champions[0].active);
  EXPECT_FALSE(inventory.champions[1].active);
  EXPECT_EQ(inventory.champions[0].disabledQueues, (std::vector<std::string>{"ARAM", "ARAM"}));
  EXPECT_TRUE(inventory.champions[1].disabledQueues.empty());
  EXPECT_EQ(inventory.champions.size(), 2u);  // nothing is added for unknown ids
  EXPECT_TRUE(log.Has("Could not disable queue ARAM for champ 88"));
  EXPECT_TRUE(log.Has("Could not disable champ 77"));
}

TEST(InventoryDerivation, NewPlayerModeBounds) {
  ChampionInventory inventory;
  CollectionsDrovChampionDTO rotation = ChampionRecord(1);
  rotation.freeToPlay = true;
  inventory.ApplyOwnership({rotation, ChampionRecord(2)}, kNow);
  inventory.FlagNewPlayerChampions({2, 3});  // 3 is added
  ASSERT_EQ(inventory.champions.size(), 3u);

  struct Case {
    std::uint32_t level, maxLevel;
    bool newPlayer;
  };
  for (const Case& c :
       {Case{5, 10, true}, Case{10, 10, true}, Case{11, 10, false}, Case{0, 10, false}, Case{5, 0, false}}) {
    inventory.summonerLevel = c.level;
    inventory.newPlayerMaxLevel = c.maxLevel;
    inventory.ComputeFreeToPlayAndBaseSkins();
    SCOPED_TRACE(::testing::Message() << "level " << c.level << " max " << c.maxLevel);
    EXPECT_EQ(inventory.champions[0].freeToPlay, !c.newPlayer);
    EXPECT_EQ(inventory.champions[1].freeToPlay, c.newPlayer);
    EXPECT_EQ(inventory.champions[2].freeToPlay, c.newPlayer);
  }
}

TEST(InventoryDerivation, PlayableCountsCountEachChampionOnceByPrecedence) {
  ChampionInventory inventory;
  auto add = [&](std::int32_t id, bool owned, bool reward, bool rented, bool free) {
    CollectionsChampion& champion = inventory.FindOrAddChampion(id);
    champion.ownership.owned = owned;
    champion.ownership.freeToPlayReward = reward;
    champion.ownership.rental.rented = rented;
    champion.freeToPlay = free;
  };
  add(1, true, true, true, true);      // owned
  add(2, false, true, true, true);     // reward
  add(3, false, false, true, true);    // rented
  add(4, false, false, false, true);   // free
  add(5, false, false, false, false);  // nothing
  add(6, true, false, false, false);   // owned
  const CollectionsChampionPlayableCounts counts = inventory.PlayableCounts();
  EXPECT_EQ(counts.championsOwned, 2u);
  EXPECT_EQ(counts.championsFreeToPlayReward, 1u);
  EXPECT_EQ(counts.championsRented, 1u);
  EXPECT_EQ(counts.championsFreeToPlay, 1u);
}

TEST(InventoryDerivation, BaseSkinOwnershipFollowsTheChampion) {
  ChampionInventory inventory;
  CollectionsDrovChampionDTO owned = ChampionRecord(1);
  owned.owned = true;
  CollectionsDrovChampionDTO rented = ChampionRecord(2);
  rented.sources = {"legacy-rental"};
  rented.endDate = kNow + 60'000;
  rented.championSkins.push_back({.championId = 2, .freeToPlayReward = true, .owned = true, .skinId = 2000});
  inventory.ApplyOwnership({owned, rented}, kNow);

  inventory.ComputeFreeToPlayAndBaseSkins();
  EXPECT_TRUE(inventory.champions[0].skins[0].ownership.owned);
  const CollectionsChampionSkin& rentedBase = inventory.champions[1].skins[0];
  EXPECT_FALSE(rentedBase.ownership.owned);
  EXPECT_TRUE(rentedBase.ownership.rental.rented);
  EXPECT_EQ(rentedBase.ownership.rental.endDate, kNow + 60'000);
  EXPECT_TRUE(rentedBase.ownership.freeToPlayReward);  // left as received

  inventory.champions[1].freeToPlayInRotation = true;  // free champions own their base skin
  inventory.ComputeFreeToPlayAndBaseSkins();
  EXPECT_TRUE(inventory.champions[1].skins[0].ownership.owned);
}

TEST(InventoryDerivation, LaterOwnershipUpdatesInPlaceAndAppendsNewChampions) {
  ChampionInventory inventory;
  inventory.ApplyOwnership({ChampionRecord(5), ChampionRecord(3)}, kNow);
  CollectionsDrovChampionDTO bought = ChampionRecord(3);
  bought.owned = true;
  inventory.ApplyOwnership({ChampionRecord(9), bought}, kNow);
  EXPECT_EQ(Ids(inventory.champions), (std::vector<std::int32_t>{5, 3, 9}));
  EXPECT_TRUE(inventory.champions[1].ownership.owned);
}

}  // namespace
}  // namespace kel::champions
