// From Initialize to the first publication: the order of subscriptions and
// requests, and a whole start-up with generated data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/generated_world.h"
#include "flows_rig.h"
#include "platform/clock.h"
#include "runtime/event_names.h"

namespace kel::testing {
namespace {

constexpr const char* kResources[] = {
    "/tesselclient/pre-shutdown/begin",
    "/kel-login/v1/session",
    "/kel-loyalty/v1/status-notification",
    "/kel-summoner/v1/current-summoner",
    "/kel-platform-config/v1/namespaces/DisabledChampionSkins/DisabledChampionSkins",
    "/kel-platform-config/v1/namespaces/ClientSystemStates/inactiveChampionIdList",
    "/kel-platform-config/v1/namespaces/ClientSystemStates/freeToPlayChampionsForNewPlayersMaxLevel",
    "/kel-platform-config/v1/namespaces/ClientSystemStates/freeToPlayChampionForNewPlayersIdList",
};
constexpr const char* kMessageClasses[] = {
    "com.tesselworks.platform.client.dynamic.configuration.ClientDynamicConfigurationNotification",
    "com.tesselworks.platform.messaging.StoreFulfillmentNotification",
    "com.tesselworks.platform.messaging.RentalUpdateNotification",
};

// The core calls of interest in the order they were made.
std::vector<std::string> CallLog(const FakeCore& core) {
  const auto subscriptions = core.subscriptions();
  const auto requests = core.requests();
  const auto scheduled = core.scheduled();
  size_t subscription = 0, request = 0, task = 0;
  std::vector<std::string> log;
  for (HostFunction function : core.calls()) {
    if (function == HostFunction::kSubscribeEvent) log.push_back("subscribe " + subscriptions[subscription++].name);
    if (function == HostFunction::kSendRequest) log.push_back("request " + std::to_string(request++));
    if (function == HostFunction::kScheduleCallback) log.push_back("task " + scheduled[task++].label);
  }
  return log;
}

TEST(FlowsStartupTest, SubscribesInOrderFetchingEachResourceThenRequestsTheGameData) {
  FlowsRig rig;
  ASSERT_TRUE(rig.Initialize());

  std::vector<std::string> expected;
  size_t request = 0;
  for (const char* uri : kResources) {
    expected.push_back("subscribe " + ResourceEventName(uri));
    expected.push_back("request " + std::to_string(request++));
  }
  for (const char* className : kMessageClasses) expected.push_back("subscribe " + DrovEventName(className));
  expected.push_back("task " + std::string(kGameDataTask));

  std::vector<std::string> calls = CallLog(rig.core);
  // The runtime's own service-proxy subscriptions come first.
  ASSERT_GE(calls.size(), 3u);
  calls.erase(calls.begin(), calls.begin() + 3);
  EXPECT_EQ(calls, expected);

  const std::vector<SentRequest> requests = rig.script.Sent();
  for (size_t i = 0; i < std::size(kResources); ++i) {
    EXPECT_EQ(requests[i].url, kResources[i]);
    EXPECT_EQ(requests[i].method, RequestMethod::kGet);
  }
  EXPECT_NEAR(rig.DelayOf(kGameDataTask), 0.01, 0.005);
}

TEST(FlowsStartupTest, AGeneratedWorldIsPublishedOnceLoggedInLoadedAndConfigured) {
  const datagen::GeneratedWorld world(7);
  constexpr uint64_t kSummoner = 4321;
  FlowsRig rig;
  rig.AnswerJson(kSummaryUrl, world.ChampionSummaryJson());
  for (const datagen::GameChampion& champion : world.Champions()) {
    rig.AnswerJson("/kel-game-data/assets/v1/champions/" + std::to_string(champion.id) + ".json",
                   world.ChampionJson(champion.id));
  }
  for (const datagen::ResourceText& resource : world.ConfigurationResources()) {
    rig.AnswerJson(resource.uri, resource.json);
  }
  rig.AnswerJson(kSessionUri, R"({"state":"SUCCEEDED","summonerId":4321,"accountId":99,"connected":true})");
  rig.AnswerJson(kSummonerUri, R"({"summonerLevel":30})");
  rig.AnswerJson(kInvokeUrl, world.OwnershipReplyJson(kSummoner, platform::WallClockMilliseconds()));

  ASSERT_TRUE(rig.Initialize());
  // Game data first, so that the ownership records of chromas find their skins.
  ASSERT_TRUE(rig.Run(kGameDataTask));
  rig.RunLoaders();
  EXPECT_TRUE(rig.Published().empty()) << "published before the live configuration arrived";
  EXPECT_TRUE(rig.Logged("Ignored Champion Notify."));

  const BindingValue message = Json(world.DynamicConfigurationEventJson());
  rig.Drov(std::string(message.Find("typeName").GetString()), ToJson(message.Find("body")));

  const std::vector<PublishedEvent> published = rig.Published();
  ASSERT_EQ(published.size(), 3u);
  const std::string base = "/kel-champions/v1/inventories/4321/";
  EXPECT_EQ(published[0].uri, base + "champions");
  EXPECT_EQ(published[1].uri, base + "champions-minimal");
  EXPECT_EQ(published[2].uri, base + "champions-playable-count");
  for (const PublishedEvent& event : published) EXPECT_EQ(event.eventType, "Create");

  // What each champion holds: the route tests, on the same generated texts.
  EXPECT_EQ(published[0].data.Size(), world.Champions().size());
  const BindingValue& counts = published[2].data;
  EXPECT_GT(counts.Find("championsOwned").AsUnsigned() + counts.Find("championsRented").AsUnsigned(), 0u);
}

}  // namespace
}  // namespace kel::testing
