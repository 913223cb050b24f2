// What Initialize asks of the core, in order; the login session, the
// post-login timeout, loyalty and the summoner.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flows_rig.h"
#include "runtime/event_names.h"

namespace kel::testing {
namespace {

constexpr const char* kResources[] = {
    kPreShutdownUri,
    kSessionUri,
    kLoyaltyUri,
    kSummonerUri,
    "/kel-platform-config/v1/namespaces/DisabledChampionSkins/DisabledChampionSkins",
    "/kel-platform-config/v1/namespaces/ClientSystemStates/inactiveChampionIdList",
    "/kel-platform-config/v1/namespaces/ClientSystemStates/freeToPlayChampionsForNewPlayersMaxLevel",
    "/kel-platform-config/v1/namespaces/ClientSystemStates/freeToPlayChampionForNewPlayersIdList"};
constexpr const char* kMessageClasses[] = {
    "com.tesselworks.platform.client.dynamic.configuration.ClientDynamicConfigurationNotification",
    "com.tesselworks.platform.messaging.StoreFulfillmentNotification",
    "com.tesselworks.platform.messaging.RentalUpdateNotification",
};

// The core calls of interest in the order they were made: subscriptions by
// name, requests by method and URL, tasks by label.
std::vector<std::string> CallLog(const FlowsRig& rig) {
  const auto subscriptions = rig.core.subscriptions();
  const auto requests = rig.script.Sent();
  const auto scheduled = rig.core.scheduled();
  size_t subscription = 0, request = 0, task = 0;
  std::vector<std::string> log;
  for (HostFunction function : rig.core.calls()) {
    if (function == HostFunction::kSubscribeEvent) log.push_back("subscribe " + subscriptions[subscription++].name);
    if (function == HostFunction::kSendRequest) {
      const SentRequest& sent = requests[request++];
      log.push_back((sent.method == RequestMethod::kGet ? "GET " : "other ") + sent.url);
    }
    if (function == HostFunction::kScheduleCallback) log.push_back("task " + scheduled[task++].label);
  }
  return log;
}

TEST(FlowsStartupTest, SubscribesInOrderFetchingEachResourceThenRequestsTheGameData) {
  FlowsRig rig;
  ASSERT_TRUE(rig.Initialize());

  std::vector<std::string> expected;
  for (const char* uri : kResources) {
    expected.push_back("subscribe " + ResourceEventName(uri));
    expected.push_back("GET " + std::string(uri));
  }
  for (const char* className : kMessageClasses) expected.push_back("subscribe " + DrovEventName(className));
  expected.push_back("task " + std::string(kGameDataTask));

  std::vector<std::string> calls = CallLog(rig);
  // The runtime's own service-proxy subscriptions come first.
  ASSERT_GE(calls.size(), 3u);
  calls.erase(calls.begin(), calls.begin() + 3);
  EXPECT_EQ(calls, expected);
  EXPECT_NEAR(rig.DelayOf(kGameDataTask), 0.01, 0.005);
}

std::string Session(const char* state, uint64_t summonerId, uint64_t accountId, bool connected) {
  return std::string(R"({"state":")") + state + R"(","summonerId":)" + std::to_string(summonerId) + R"(,"accountId":)" +
         std::to_string(accountId) + R"(,"connected":)" + (connected ? "true" : "false") + "}";
}

class SessionEventsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.Initialize()); }
  FlowsRig rig;
};

TEST_F(SessionEventsTest, OnlyACompleteSessionLogsInRepeatedUpdatesStartOneLoadAndTheTimeoutPublishesOnce) {
  rig.Resource(kSessionUri, kUpdate, Session("SUCCEEDED", 5, 0, true));
  rig.Resource(kSessionUri, kUpdate, Session("IN_PROGRESS", 5, 6, true));
  EXPECT_EQ(std::tuple(rig.Pending(kOwnershipTask), rig.Pending(kTimeoutTask)), std::tuple(0u, 0u));

  rig.Resource(kSessionUri, kCreate, Session("SUCCEEDED", 5, 6, true));
  rig.Resource(kSessionUri, kUpdate, Session("SUCCEEDED", 8, 6, true));
  EXPECT_EQ(std::tuple(rig.Pending(kOwnershipTask), rig.Pending(kTimeoutTask)), std::tuple(1u, 1u));
  EXPECT_NEAR(rig.DelayOf(kTimeoutTask), 10.0, 0.5);
  EXPECT_NEAR(rig.DelayOf(kOwnershipTask), 0.01, 0.005);
  EXPECT_FALSE(rig.Logged("Checking collections caches after reconnect."));
  rig.Resource(kSummonerUri, kUpdate, R"({"summonerLevel":3})");
  EXPECT_TRUE(rig.Published().empty());
  EXPECT_TRUE(rig.Logged("Ignored Champion Notify."));

  // The timeout publishes once, even without game data or configuration; the
  // id of the login stays, whatever later updates say.
  ASSERT_TRUE(rig.Run(kTimeoutTask));
  EXPECT_TRUE(rig.Logged("Post login champion timeout expired, checking cache."));
  ASSERT_EQ(rig.Published().size(), 3u);
  EXPECT_EQ(std::tuple(rig.Published()[0].uri, rig.Published()[0].eventType, rig.Published()[0].data.Size()),
            std::tuple("/kel-champions/v1/inventories/5/champions", "Create", 0u));
  // The routes are open from then on, with what is there.
  const TestAnswer list =
      rig.Get("GetKelChampionsV1InventoriesBySummonerIdChampions", "/kel-champions/v1/inventories/5/champions");
  EXPECT_EQ(std::tuple(list.error, list.value.Size()), std::tuple("", 0u));

  rig.Resource(kSummonerUri, kDelete, "{}");
  ASSERT_EQ(rig.Published().size(), 6u);
  EXPECT_EQ(rig.Published()[3].eventType, "Update");
}

TEST_F(SessionEventsTest, AReconnectReloadsOwnershipAndALogoutKeepsTheIdUntilDelete) {
  rig.Resource(kSessionUri, kCreate, Session("SUCCEEDED", 5, 6, true));
  rig.RunLoaders();
  rig.Resource(kSessionUri, kUpdate, Session("SUCCEEDED", 5, 6, false));
  rig.Resource(kSessionUri, kUpdate, Session("SUCCEEDED", 5, 6, true));
  EXPECT_TRUE(rig.Logged("Checking collections caches after reconnect."));
  EXPECT_EQ(rig.Pending(kOwnershipTask), 1u);
  rig.RunLoaders();
  EXPECT_EQ(rig.RequestsTo(kInvokeUrl).size(), 2u);

  rig.Resource(kSessionUri, kUpdate, Session("LOGGING_OUT", 5, 6, true));
  ASSERT_TRUE(rig.Run(kTimeoutTask));
  EXPECT_EQ(rig.Published().at(0).uri, "/kel-champions/v1/inventories/5/champions");
  rig.Resource(kLoyaltyUri, kUpdate, "{}");
  EXPECT_TRUE(rig.Logged("LoyaltyStatusNotification is updated. Try to reload champion data."));
  rig.RunLoaders();

  rig.Resource(kSessionUri, kDelete, "{}");
  rig.Resource(kLoyaltyUri, kUpdate, "{}");
  EXPECT_TRUE(rig.Logged("LoyaltyStatusNotification is updated without login."));
  EXPECT_EQ(rig.Pending(kOwnershipTask), 0u);

  // Logging in again is a new login: new id, new load, new timeout.
  rig.Resource(kSessionUri, kUpdate, Session("SUCCEEDED", 12, 6, true));
  EXPECT_EQ(std::tuple(rig.Pending(kOwnershipTask), rig.Pending(kTimeoutTask)), std::tuple(1u, 1u));
  rig.Resource(kSummonerUri, kUpdate, R"({"summonerLevel":3})");
  EXPECT_EQ(rig.Published().back().uri, "/kel-champions/v1/inventories/12/champions-playable-count");
}

}  // namespace
}  // namespace kel::testing
