// The inventory's derivations on its native records, and how the records
// are registered.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "champions/champion_inventory.h"
#include "champions/ownership_rules.h"
#include "champions/session_records.h"
#include "datagen/generated_world.h"
#include "support/recording_log_target.h"
#include "world_records.h"

namespace kel::champions {
namespace {

using testing::GameDataOf;
using testing::JsonOf;
using testing::OwnershipOf;
using testing::Registered;

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

// Whichever source comes first gives the order, each in an order the other
// does not share; ownership alone gives base skins and sorts, game data
// alone does neither; in the end every champion has both.
TEST(InventoryDerivation, TheFirstSourceGivesTheOrderAndOwnershipSortsTheSkinsUnderTheBase) {
  const datagen::GeneratedWorld world(8, SmallWorld());
  for (const bool ownershipFirst : {true, false}) {
    SCOPED_TRACE(ownershipFirst ? "ownership first" : "game data first");
    std::vector<CollectionsDrovChampionDTO> ownership = OwnershipOf(world, kSummoner, kNow);
    std::reverse(ownership.begin(), ownership.end());
    std::vector<GameDataChampion> gameData = GameDataOf(world);
    std::rotate(gameData.begin(), gameData.begin() + 1, gameData.end());
    std::vector<std::int32_t> order;
    for (GameDataChampion& champion : gameData) {
      std::reverse(champion.skins.begin(), champion.skins.end());
      if (!ownershipFirst) order.push_back(champion.id);
    }
    for (const auto& record : ownership) {
      if (ownershipFirst) order.push_back(record.championId);
    }

    ChampionInventory inventory;
    const auto applyGameData = [&] {
      for (GameDataChampion champion : gameData) inventory.ApplyGameData(std::move(champion));
    };
    ownershipFirst ? inventory.ApplyOwnership(ownership, kNow) : applyGameData();
    ASSERT_EQ(Ids(inventory.champions.Get()), order);
    for (const CollectionsChampion& champion : inventory.champions.Get()) {
      EXPECT_EQ(champion.name.empty(), ownershipFirst);
      EXPECT_EQ(SortedById(champion.skins), ownershipFirst);
      EXPECT_EQ(std::any_of(champion.skins.begin(), champion.skins.end(), [](auto& s) { return s.isBase; }),
                ownershipFirst);
    }

    ownershipFirst ? applyGameData() : inventory.ApplyOwnership(ownership, kNow);
    EXPECT_EQ(Ids(inventory.champions.Get()), order);
    for (const CollectionsChampion& champion : inventory.champions.Get()) {
      const datagen::GameChampion* game = world.FindChampion(champion.id);
      ASSERT_NE(game, nullptr);
      EXPECT_EQ(champion.name, game->name);
      EXPECT_TRUE(SortedById(champion.skins));
      EXPECT_TRUE(champion.skins.front().isBase);
      EXPECT_EQ(champion.skins.front().id, champion.id * 1000);
      EXPECT_EQ(champion.skins.front().name, game->skins.front().name);
      for (const CollectionsChampionSkin& skin : champion.skins) EXPECT_TRUE(SortedById(skin.chromas));
    }
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
      EXPECT_EQ(Ids(inventory.champions.Get().front().skins), (std::vector<std::int32_t>{1000, 1005}));
    }
    inventory.ApplyGameData(GameDataWithChroma());
    EXPECT_EQ(inventory.chromaToSkin.at(1005), 1001);
    if (!ownershipFirst) inventory.ApplyOwnership({RecordOwningChroma()}, kNow);
    const CollectionsChampion& champion = inventory.champions.Get().front();
    EXPECT_EQ(Ids(champion.skins), (std::vector<std::int32_t>{1000, 1001}));
    EXPECT_EQ(JsonOf(champion.skins[1].chromas.front()),
              R"({"championId":1,"chromaPath":"/chroma/1005.png","colors":["#aa0000"],"disabled":false,"id":1005,)"
              R"("lastSelected":true,"name":"","ownership":{"freeToPlayReward":false,"owned":true,"rental":)"
              R"({"endDate":0,"purchaseDate":0,"rented":false,"winCountRemaining":0}},"stillObtainable":false})");
  }
}

TEST(InventoryDerivation, GameDataClearsOptionalPathsItNoLongerCarries) {
  ChampionInventory inventory;
  inventory.ApplyGameData({.id = 2, .skins = {{.id = 2000, .splashVideoPath = "/video.webm", .skinType = ""}}});
  EXPECT_EQ(inventory.champions.Get()[0].skins[0].skinType, std::optional<std::string>(""));
  inventory.ApplyGameData({.id = 2, .skins = {{.id = 2000}}});
  EXPECT_FALSE(inventory.champions.Get()[0].skins[0].splashVideoPath.has_value());
  EXPECT_FALSE(inventory.champions.Get()[0].skins[0].skinType.has_value());
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
  inventory.champions.Edit()[0].disabledQueues = {"stale"};

  inventory.ApplyDisabledChampionsAndQueues();
  const std::vector<CollectionsChampion>& list = inventory.champions.Get();
  ASSERT_EQ(list.size(), 2u);  // nothing is added for unknown ids
  EXPECT_EQ(std::tuple(list[0].active, list[1].active, list[0].disabledQueues, list[1].disabledQueues.size()),
            std::tuple(true, false, std::vector<std::string>{"ARAM", "ARAM"}, 0u));
  EXPECT_TRUE(log.Has("Could not disable queue ARAM for champ 88"));
  EXPECT_TRUE(log.Has("Could not disable champ 77"));
}

TEST(InventoryDerivation, NewPlayerModeBounds) {
  ChampionInventory inventory;
  CollectionsDrovChampionDTO rotation = ChampionRecord(1);
  rotation.freeToPlay = true;
  inventory.ApplyOwnership({rotation, ChampionRecord(2)}, kNow);
  inventory.FlagNewPlayerChampions({2, 3});  // 3 is added
  ASSERT_EQ(inventory.champions.Get().size(), 3u);

  // Level, maximum level, whether that is a new player.
  for (const auto& [level, maxLevel, newPlayer] :
       {std::tuple{5u, 10u, true}, std::tuple{10u, 10u, true}, std::tuple{11u, 10u, false}, std::tuple{0u, 10u, false},
        std::tuple{5u, 0u, false}}) {
    inventory.summonerLevel = level;
    inventory.newPlayerMaxLevel = maxLevel;
    inventory.ComputeFreeToPlayAndBaseSkins();
    const std::vector<bool> expected = {!newPlayer, newPlayer, newPlayer};
    std::vector<bool> freeToPlay;
    for (const CollectionsChampion& champion : inventory.champions.Get()) freeToPlay.push_back(champion.freeToPlay);
    EXPECT_EQ(freeToPlay, expected) << "level " << level << " max " << maxLevel;
  }
}

// One pass over many ids looks each up in an index that grows with the
// list: a repeated id lands on the champion it made, in its first place.
TEST(InventoryDerivation, RepeatedIdsInOneDeliveryMergeIntoTheFirstChampion) {
  ChampionInventory inventory;
  std::vector<GameDataChampion> gameData;
  for (std::int32_t id = 1; id <= 40; ++id) gameData.push_back({.id = id * 7, .name = "first"});
  gameData.push_back({.id = 7, .name = "again"});
  inventory.ApplyGameData(std::move(gameData));
  inventory.ApplyOwnership({ChampionRecord(280), ChampionRecord(3)}, kNow);

  const std::vector<std::int32_t> ids = Ids(inventory.champions.Get());
  ASSERT_EQ(ids.size(), 41u);
  EXPECT_EQ(ids.front(), 7);
  EXPECT_EQ(ids[39], 280);
  EXPECT_EQ(ids.back(), 3);
  EXPECT_EQ(inventory.champions.Get().front().name, "again");
  EXPECT_EQ(inventory.champions.Get()[1].name, "first");
}

TEST(InventoryDerivation, PlayableCountsCountEachChampionOnceByPrecedence) {
  ChampionInventory inventory;
  // owned, reward, rented, free: counted as owned, reward, rented, free, nothing, owned.
  const bool flags[][4] = {{1, 1, 1, 1}, {0, 1, 1, 1}, {0, 0, 1, 1}, {0, 0, 0, 1}, {0, 0, 0, 0}, {1, 0, 0, 0}};
  std::int32_t id = 0;
  for (const auto& [owned, reward, rented, free] : flags) {
    CollectionsChampion& champion = inventory.FindOrAddChampion(++id);
    champion.ownership.owned = owned;
    champion.ownership.freeToPlayReward = reward;
    champion.ownership.rental.rented = rented;
    champion.freeToPlay = free;
  }
  EXPECT_EQ(JsonOf(inventory.PlayableCounts()),
            R"({"championsFreeToPlay":1,"championsFreeToPlayReward":1,"championsOwned":2,"championsRented":1})");
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
  EXPECT_TRUE(inventory.champions.Get()[0].skins[0].ownership.owned);
  // The reward flag is left as received.
  EXPECT_EQ(JsonOf(inventory.champions.Get()[1].skins[0].ownership),
            R"({"freeToPlayReward":true,"owned":false,"rental":{"endDate":1780000060000,"purchaseDate":0,)"
            R"("rented":true,"winCountRemaining":0}})");

  inventory.champions.Edit()[1].freeToPlayInRotation = true;  // free champions own their base skin
  inventory.ComputeFreeToPlayAndBaseSkins();
  EXPECT_TRUE(inventory.champions.Get()[1].skins[0].ownership.owned);
}

TEST(InventoryDerivation, LaterOwnershipUpdatesInPlaceAndAppendsNewChampions) {
  ChampionInventory inventory;
  inventory.ApplyOwnership({ChampionRecord(5), ChampionRecord(3)}, kNow);
  CollectionsDrovChampionDTO bought = ChampionRecord(3);
  bought.owned = true;
  inventory.ApplyOwnership({ChampionRecord(9), bought}, kNow);
  EXPECT_EQ(Ids(inventory.champions.Get()), (std::vector<std::int32_t>{5, 3, 9}));
  EXPECT_TRUE(inventory.champions.Get()[1].ownership.owned);
}

TEST(ChampionTypes, PublicRecordsArePrefixedAndTaggedWireRecordsAreNotAndInMemoryFlagsStayOut) {
  const BindingTypeInfo* type = Registered().registry.FindType("KelChampionsCollectionsChampion");
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->tags, (std::vector<std::string>{"Plugins", "Plugin kel-champions"}));
  EXPECT_EQ(Registered().registry.FindType("CollectionsChampion"), nullptr);

  const BindingTypeInfo* wire = Registered().registry.FindType("CollectionsDrovChampionDTO");
  ASSERT_NE(wire, nullptr);
  EXPECT_TRUE(wire->tags.empty());
  EXPECT_EQ(Registered().classNames.Find(wire->typeIdentifier),
            "com.tesselworks.platform.catalog.champion.ChampionDTO");
  EXPECT_EQ(Registered().registry.FindType("KelChampionsCollectionsDrovChampionDTO"), nullptr);

  // Beyond the names the registrations list: the flags kept in memory stay
  // out, unset optional paths are written as null, states go by name.
  CollectionsChampion champion;
  champion.freeToPlayForNewPlayers = true;
  champion.freeToPlayInRotation = true;
  champion.skins.emplace_back().chromas.emplace_back();
  const std::string json = JsonOf(champion);
  EXPECT_EQ(json.find("ForNewPlayers"), std::string::npos) << json;
  EXPECT_EQ(json.find("InRotation"), std::string::npos) << json;
  for (const char* unset : {R"("chromaPath":null,"chromas":[{"championId":0,"chromaPath":null,)",
                            R"("featuresText":null,)", R"("skinType":null,)", R"("splashVideoPath":null,)"}) {
    EXPECT_NE(json.find(unset), std::string::npos) << unset << " in " << json;
  }
  EXPECT_EQ(JsonOf(LoginSession{.state = LoginSessionStates::Error, .summonerId = 5}),
            R"({"accountId":0,"connected":false,"state":"ERROR","summonerId":5})");
}

}  // namespace
}  // namespace kel::champions
