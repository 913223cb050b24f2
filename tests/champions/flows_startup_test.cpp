// What Initialize asks of the core: the order of subscriptions and requests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flows_rig.h"
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

}  // namespace
}  // namespace kel::testing
