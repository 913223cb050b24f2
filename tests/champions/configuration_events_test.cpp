// Live configuration: disabled skins, inactive champions, the new-player
// rule and the remote configuration message with its JSON inside JSON.
#include <gtest/gtest.h>

#include <string>

#include "champions/live_configuration.h"
#include "flows_rig.h"

namespace kel::testing {
namespace {

constexpr const char* kSkins = "/kel-platform-config/v1/namespaces/DisabledChampionSkins/DisabledChampionSkins";
constexpr const char* kInactive = "/kel-platform-config/v1/namespaces/ClientSystemStates/inactiveChampionIdList";
constexpr const char* kMaxLevel =
    "/kel-platform-config/v1/namespaces/ClientSystemStates/freeToPlayChampionsForNewPlayersMaxLevel";
constexpr const char* kNewPlayers =
    "/kel-platform-config/v1/namespaces/ClientSystemStates/freeToPlayChampionForNewPlayersIdList";
constexpr const char* kConfigClass =
    "com.tesselworks.platform.client.dynamic.configuration.ClientDynamicConfigurationNotification";

// Logged in, with the post-login timeout run out, so that every refresh
// publishes the lists.
class ConfigurationEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.AnswerJson(kSessionUri, R"({"state":"SUCCEEDED","summonerId":5,"accountId":6})");
    rig.AnswerJson(kSummaryUrl, R"([{"id":1},{"id":2}])");
    rig.AnswerJson("/kel-game-data/assets/v1/champions/1.json",
                   R"({"id":1,"name":"One","skins":[{"id":1000},{"id":1001,"chromas":[{"id":1002}]}]})");
    rig.AnswerJson("/kel-game-data/assets/v1/champions/2.json", R"({"id":2,"name":"Two"})");
    ASSERT_TRUE(rig.Initialize());
    rig.RunLoaders();
    ASSERT_TRUE(rig.Run(kTimeoutTask));
  }

  BindingValue Champions() const { return rig.Latest("/kel-champions/v1/inventories/5/champions"); }

  FlowsRig rig;
};

TEST_F(ConfigurationEventsTest, DisabledSkinsAndInactiveChampionsTakeOnlyCollectionsAndSurviveADelete) {
  rig.Resource(kSkins, kUpdate, "[1001, 1002]");
  EXPECT_TRUE(Champions().Get(0).Find("skins").Get(1).Find("disabled").GetBool());
  EXPECT_TRUE(Champions().Get(0).Find("skins").Get(1).Find("chromas").Get(0).Find("disabled").GetBool());

  const size_t published = rig.Published().size();
  rig.Resource(kSkins, kDelete, "");
  rig.Resource(kSkins, kUpdate, R"({"ids":[1]})");
  EXPECT_TRUE(rig.Logged("Disabled champion skin data was not a collection."));
  EXPECT_EQ(rig.Published().size(), published);

  rig.Resource(kSkins, kUpdate, "[]");
  EXPECT_FALSE(Champions().Get(0).Find("skins").Get(1).Find("disabled").GetBool());

  rig.Resource(kInactive, kUpdate, "[2]");
  EXPECT_FALSE(Champions().Get(1).Find("active").GetBool());
  const size_t before = rig.Published().size();
  rig.Resource(kInactive, kDelete, "");
  EXPECT_EQ(rig.Published().size(), before);
  rig.Resource(kInactive, kUpdate, "[]");
  EXPECT_TRUE(Champions().Get(1).Find("active").GetBool());
}

TEST_F(ConfigurationEventsTest, NewPlayerFlagsStayUntilTheListIsDeletedAndApplyOnlyToNewPlayers) {
  rig.Resource(kSummonerUri, kUpdate, R"({"summonerLevel":5})");
  rig.Resource(kMaxLevel, kUpdate, "10");
  rig.Resource(kNewPlayers, kUpdate, "[1, 3]");
  EXPECT_TRUE(rig.Logged("kel-champions: Updated new champ player list to: [1,3]"));
  BindingValue champions = Champions();
  ASSERT_EQ(champions.Size(), 3u) << "an unknown id adds a champion";
  EXPECT_TRUE(champions.Get(0).Find("freeToPlay").GetBool());
  EXPECT_EQ(champions.Get(2).Find("id").AsSigned(), 3);

  rig.Resource(kNewPlayers, kUpdate, "[3]");
  EXPECT_TRUE(Champions().Get(0).Find("freeToPlay").GetBool()) << "dropped from the list, yet still flagged";
  rig.Resource(kNewPlayers, kUpdate, R"(["x"])");
  EXPECT_TRUE(rig.Logged(R"(kel-champions: Failed to convert new champ player list: ["x"])"));
  EXPECT_TRUE(Champions().Get(0).Find("freeToPlay").GetBool());

  rig.Resource(kSummonerUri, kUpdate, R"({"summonerLevel":11})");
  EXPECT_FALSE(Champions().Get(2).Find("freeToPlay").GetBool());
  rig.Resource(kSummonerUri, kUpdate, R"({"summonerLevel":5})");
  EXPECT_TRUE(Champions().Get(2).Find("freeToPlay").GetBool());
  rig.Resource(kNewPlayers, kDelete, "");
  EXPECT_FALSE(Champions().Get(2).Find("freeToPlay").GetBool());
}

TEST_F(ConfigurationEventsTest, TheConfigurationMessageReplacesEveryQueueAndBrokenMessagesOrQueuesAreIgnored) {
  rig.Drov(kConfigClass, R"({"configs":"{\"DisabledChampions\":{\"ARAM\":\"[1,1]\",\"URF\":\"[2]\"}}","delta":true})");
  EXPECT_EQ(ToJson(Champions().Get(0).Find("disabledQueues")), R"(["ARAM","ARAM"])");
  const size_t published = rig.Published().size();
  rig.Drov(kConfigClass, R"({"configs":"not json"})");
  rig.Drov(kConfigClass, R"({"configs":"[1]"})");
  EXPECT_EQ(rig.Published().size(), published);

  rig.Drov(kConfigClass, R"({"configs":"{\"DisabledChampions\":{\"URF\":\"[1]\"}}","delta":true})");
  EXPECT_EQ(ToJson(Champions().Get(0).Find("disabledQueues")), R"(["URF"])");
  EXPECT_EQ(ToJson(Champions().Get(1).Find("disabledQueues")), "[]");

  // A queue whose text is no list of ids is kept empty.
  const auto queues = champions::DisabledQueuesFromConfigs(
      rig.Registry(), R"({"DisabledChampions":{"A":"oops","B":"[4,\"x\"]","C":"[7]","D":{}}})");
  EXPECT_EQ(queues, champions::DisabledQueues({{"A", {}}, {"B", {}}, {"C", {7}}, {"D", {}}}));
}

}  // namespace
}  // namespace kel::testing
