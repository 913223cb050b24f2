#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "champion_plugin_harness.h"
#include "runtime/event_names.h"
#include "support/recording_log_target.h"

namespace kel::champions {
namespace {

using testing::ChampionPluginHarness;
using testing::PublishedEvent;

constexpr std::uint64_t kSummoner = 31;
constexpr std::uint64_t kNow = 1'780'000'000'000ull;
constexpr const char* kCreate = "Create";
constexpr const char* kUpdate = "Update";

std::string Uri(const std::string& rest) { return "/kel-champions/v1/inventories/31" + rest; }

// Every event goes out twice: under its own name, then under the general one.
std::vector<std::pair<std::string, std::string>> Sent(const std::vector<PublishedEvent>& events) {
  std::vector<std::pair<std::string, std::string>> sent;
  for (std::size_t i = 0; i < events.size(); i += 2) {
    EXPECT_EQ(events[i].name, ResourceEventName(events[i].uri));
    EXPECT_LT(i + 1, events.size());
    if (i + 1 >= events.size()) break;
    EXPECT_EQ(events[i + 1].name, "OnJsonApiEvent");
    EXPECT_EQ(events[i + 1].uri, events[i].uri);
    sent.emplace_back(events[i].uri, events[i].eventType);
  }
  return sent;
}

bool Logged(const kel::testing::RecordingLogTarget& log, const std::string& message) {
  const std::vector<std::string> messages = log.Messages();
  return std::find(messages.begin(), messages.end(), message) != messages.end();
}

CollectionsDrovChampionDTO Owned(std::int32_t id) {
  CollectionsDrovChampionDTO record;
  record.championId = id;
  record.owned = true;
  return record;
}

class InventoryPublishingTest : public ::testing::Test {
 protected:
  InventoryStore::Access Lock() { return harness_.Plugin().Inventory().Lock(); }

  // A champion 1 with skins 1000 and 1001, skin 1001 holding chroma 1005.
  void AddChampionWithChroma() {
    GameDataChampion game;
    game.id = 1;
    game.name = "First";
    game.skins.push_back({.id = 1000});
    GameDataChampionSkin skin;
    skin.id = 1001;
    skin.chromas.push_back({1005, {"#00ff00"}, "/1005.png"});
    game.skins.push_back(skin);
    InventoryStore::Access access = Lock();
    access.Inventory().ApplyGameData(std::move(game));
    access.Inventory().ApplyOwnership({Owned(1)}, kNow);
  }

  ChampionPluginHarness harness_;
  kel::testing::RecordingLogTarget log_;
};

TEST_F(InventoryPublishingTest, GateHoldsUntilLoginAndConfigurationThenCreatesThenUpdates) {
  {
    InventoryStore::Access access = Lock();
    access.Inventory().ApplyOwnership({Owned(1), Owned(2)}, kNow);
    access.Session().summonerId = kSummoner;
    access.Session().disabledSkinsReceived = true;
    access.Session().inactiveListReceived = true;
    access.Session().liveConfigurationReceived = true;
    access.FullRefresh();  // not logged in yet
  }
  EXPECT_TRUE(harness_.Events().empty());
  EXPECT_TRUE(Logged(log_, "Ignored Champion Notify."));
  EXPECT_FALSE(Logged(log_, "Notifying ux of champion data."));

  {
    InventoryStore::Access access = Lock();
    access.Session().loggedIn = true;
    access.FullRefresh();
  }
  EXPECT_TRUE(Logged(log_, "Notifying ux of champion data."));
  const std::vector<PublishedEvent> first = harness_.Events();
  EXPECT_EQ(Sent(first), (std::vector<std::pair<std::string, std::string>>{
                             {Uri("/champions"), kCreate},
                             {Uri("/champions-minimal"), kCreate},
                             {Uri("/champions-playable-count"), kCreate}}));
  ASSERT_EQ(first.size(), 6u);
  EXPECT_EQ(first[0].data.Size(), 2u);
  EXPECT_EQ(first[2].data.Get(1).Find("id").GetSigned(), 2);
  EXPECT_EQ(first[4].data.Find("championsOwned").GetUnsigned(), 2u);

  harness_.ClearEvents();
  Lock().FreeToPlayRefresh();
  EXPECT_EQ(Sent(harness_.Events()), (std::vector<std::pair<std::string, std::string>>{
                                         {Uri("/champions"), kUpdate},
                                         {Uri("/champions-minimal"), kUpdate},
                                         {Uri("/champions-playable-count"), kUpdate}}));
}

TEST_F(InventoryPublishingTest, PostLoginTimeoutPublishesEmptyListsAndOpensTheRoutes) {
  {
    InventoryStore::Access access = Lock();
    access.Session().loggedIn = true;
    access.Session().summonerId = kSummoner;
    access.Session().postLoginTimeoutExpired = true;
    access.NotifyUpdate();
  }
  const std::vector<PublishedEvent> events = harness_.Events();
  ASSERT_EQ(events.size(), 6u);
  EXPECT_EQ(events[0].eventType, kCreate);
  EXPECT_EQ(events[0].data.Kind(), BindingValueKind::kCollection);
  EXPECT_EQ(events[0].data.Size(), 0u);
  EXPECT_EQ(events[4].data.Find("championsRented").GetUnsigned(), 0u);

  const testing::Answer answer =
      harness_.Get("GetKelChampionsV1InventoriesBySummonerIdChampions", Uri("/champions"));
  EXPECT_FALSE(answer.hasError);
  EXPECT_EQ(answer.value.Size(), 0u);
}

TEST_F(InventoryPublishingTest, SkinStoreMessagePublishesTheSkinOrTheChromasOfItsHolder) {
  AddChampionWithChroma();
  CollectionsOwnership bought;
  bought.owned = true;
  {
    InventoryStore::Access access = Lock();
    access.Session().summonerId = kSummoner;
    access.UpdateSkinOwnership(1, 1001, bought);
    EXPECT_TRUE(access.Inventory().champions[0].skins[1].ownership.owned);
  }
  const std::vector<PublishedEvent> skinEvents = harness_.Events();
  EXPECT_EQ(Sent(skinEvents), (std::vector<std::pair<std::string, std::string>>{
                                  {Uri("/champions"), kUpdate},
                                  {Uri("/champions/1/skins"), kUpdate},
                                  {Uri("/champions/1/skins/1001"), kUpdate}}));
  ASSERT_EQ(skinEvents.size(), 6u);
  EXPECT_EQ(skinEvents[4].data.Find("id").GetSigned(), 1001);

  harness_.ClearEvents();
  {
    InventoryStore::Access access = Lock();
    access.UpdateSkinOwnership(1, 1005, bought);
    EXPECT_EQ(access.Inventory().champions[0].skins.size(), 2u);  // no skin 1005
    EXPECT_TRUE(access.Inventory().champions[0].skins[1].chromas[0].ownership.owned);
  }
  const std::vector<PublishedEvent> chromaEvents = harness_.Events();
  EXPECT_EQ(Sent(chromaEvents), (std::vector<std::pair<std::string, std::string>>{
                                    {Uri("/champions"), kUpdate},
                                    {Uri("/champions/1/skins/1001/chromas"), kUpdate}}));
  ASSERT_EQ(chromaEvents.size(), 4u);
  EXPECT_EQ(chromaEvents[2].data.Get(0).Find("id").GetSigned(), 1005);

  harness_.ClearEvents();
  Lock().UpdateSkinOwnership(5, 5000, bought);
  Lock().UpdateSkinOwnership(1, 1999, bought);
  EXPECT_TRUE(harness_.Events().empty());
  EXPECT_TRUE(Logged(log_, "Failed to find champion 5."));
  EXPECT_TRUE(Logged(log_, "Failed to find champion skin or chroma 1999."));
}

TEST_F(InventoryPublishingTest, RentalExpirySendsTheChampionAndTheCounts) {
  AddChampionWithChroma();
  {
    InventoryStore::Access access = Lock();
    access.Session().summonerId = kSummoner;
    CollectionsChampion& champion = access.Inventory().champions[0];
    champion.ownership.owned = false;
    champion.ownership.rental.rented = false;
    access.PublishRentalExpiry(champion);
  }
  const std::vector<PublishedEvent> events = harness_.Events();
  EXPECT_EQ(Sent(events), (std::vector<std::pair<std::string, std::string>>{
                              {Uri("/champions/1"), kUpdate},
                              {Uri("/champions-playable-count"), kUpdate}}));
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].data.Find("name").GetString(), "First");
  EXPECT_EQ(events[2].data.Find("championsOwned").GetUnsigned(), 0u);
}

}  // namespace
}  // namespace kel::champions
