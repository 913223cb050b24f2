#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flows_rig.h"
#include "runtime/event_names.h"

namespace kel::champions {
namespace {

using kel::testing::FlowsRig;
using kel::testing::PublishedEvent;

constexpr std::uint64_t kSummoner = 31;
constexpr std::uint64_t kNow = 1'780'000'000'000ull;
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

CollectionsDrovChampionDTO Owned(std::int32_t id) {
  CollectionsDrovChampionDTO record;
  record.championId = id;
  record.owned = true;
  return record;
}

class InventoryPublishingTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig_.Initialize()); }
  InventoryStore::Access Lock() { return rig_.Plugin().Inventory().Lock(); }
  std::vector<PublishedEvent> Events() const { return rig_.events.All(); }

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

  FlowsRig rig_;
};

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
  const std::vector<PublishedEvent> skinEvents = Events();
  EXPECT_EQ(Sent(skinEvents), (std::vector<std::pair<std::string, std::string>>{
                                  {Uri("/champions"), kUpdate},
                                  {Uri("/champions/1/skins"), kUpdate},
                                  {Uri("/champions/1/skins/1001"), kUpdate}}));
  ASSERT_EQ(skinEvents.size(), 6u);
  EXPECT_EQ(skinEvents[4].data.Find("id").GetSigned(), 1001);

  rig_.events.Clear();
  {
    InventoryStore::Access access = Lock();
    access.UpdateSkinOwnership(1, 1005, bought);
    EXPECT_EQ(access.Inventory().champions[0].skins.size(), 2u);  // no skin 1005
    EXPECT_TRUE(access.Inventory().champions[0].skins[1].chromas[0].ownership.owned);
  }
  const std::vector<PublishedEvent> chromaEvents = Events();
  EXPECT_EQ(Sent(chromaEvents), (std::vector<std::pair<std::string, std::string>>{
                                    {Uri("/champions"), kUpdate},
                                    {Uri("/champions/1/skins/1001/chromas"), kUpdate}}));
  ASSERT_EQ(chromaEvents.size(), 4u);
  EXPECT_EQ(chromaEvents[2].data.Get(0).Find("id").GetSigned(), 1005);

  rig_.events.Clear();
  Lock().UpdateSkinOwnership(5, 5000, bought);
  Lock().UpdateSkinOwnership(1, 1999, bought);
  EXPECT_TRUE(Events().empty());
  EXPECT_TRUE(rig_.Logged("Failed to find champion 5."));
  EXPECT_TRUE(rig_.Logged("Failed to find champion skin or chroma 1999."));
}

}  // namespace
}  // namespace kel::champions
