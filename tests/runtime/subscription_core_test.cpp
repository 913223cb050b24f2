#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diagnostics/log.h"
#include "runtime/app_module.h"
#include "runtime/event_names.h"
#include "runtime/resource_pattern.h"
#include "support/binding_values.h"
#include "support/core_events.h"
#include "support/test_plugin.h"

namespace kel::testing {
namespace {

using enum PluginResourceEventType;

constexpr const char* kSessionEvent = "OnJsonApiEvent_kel-login_v1_session";

size_t SubscriptionsTo(const FakeCore& core, const std::string& name) {
  size_t count = 0;
  for (const SubscribeCall& call : core.subscriptions()) count += call.name == name ? 1 : 0;
  return count;
}

TEST(ResourceEventNameTest, KeepsThreeSegmentsOrFiveUnderPlatformConfiguration) {
  EXPECT_EQ(ResourceEventName("/kel-login/v1/session"), "OnJsonApiEvent_kel-login_v1_session");
  EXPECT_EQ(ResourceEventName("kel-login/v1/session/deeper/still"), "OnJsonApiEvent_kel-login_v1_session");
  EXPECT_EQ(ResourceEventName("//kel-login//v1/"), "OnJsonApiEvent_kel-login_v1");
  EXPECT_EQ(ResourceEventName("/kel-platform-config/v1/namespaces/ClientSystemStates/inactiveChampionIdList"),
            "OnJsonApiEvent_kel-platform-config_v1_namespaces_ClientSystemStates_inactiveChampionIdList");
  EXPECT_EQ(ResourceEventName("/kel-platform-config/v1/namespaces/A/b/c/d"),
            "OnJsonApiEvent_kel-platform-config_v1_namespaces_A_b");
  // Only the first segment selects the longer form.
  EXPECT_EQ(ResourceEventName("/x/kel-platform-config/a/b/c"), "OnJsonApiEvent_x_kel-platform-config_a");
  EXPECT_EQ(ResourceEventName(""), "OnJsonApiEvent");
}

TEST(ResourcePatternTest, StarTakesOneNonEmptyRestOfASegment) {
  EXPECT_TRUE(ResourcePatternMatches("/a/*/c", "/a/b/c"));
  EXPECT_TRUE(ResourcePatternMatches("/a/*/c", "/a//c"));
  EXPECT_FALSE(ResourcePatternMatches("/a/*/c", "/a/b/x/c"));
  EXPECT_TRUE(ResourcePatternMatches("/a/*", "/a/b"));
  EXPECT_FALSE(ResourcePatternMatches("/a/*", "/a/"));
  EXPECT_FALSE(ResourcePatternMatches("/a/*", "/a/b/c"));
  EXPECT_FALSE(ResourcePatternMatches("/a/b", "/a/bc"));
  EXPECT_FALSE(ResourcePatternMatches("/a/b", "/a"));
  EXPECT_FALSE(ResourcePatternMatches("/a/x*y", "/a/xzy"));  // a "*" runs to the end of its segment
}

class SubscriptionCoreTest : public ::testing::Test, public TestPlugin {};

TEST_F(SubscriptionCoreTest, SubscribesOnceWithTheCorePerEventNameAndUnsubscribesWithTheLastReference) {
  std::vector<std::string> seen;
  module.AddResourceListener("/kel-login/v1/session", [&](const PluginResourceEvent& e) { seen.push_back(e.uri); });
  module.AddResourceListener("/kel-login/v1/session/deeper",
                             [&](const PluginResourceEvent& e) { seen.push_back("deeper " + e.uri); });
  ASSERT_EQ(SubscriptionsTo(core, kSessionEvent), 1u);
  EXPECT_EQ(core.subscriptions().back().plugin_handle, 42u);
  EXPECT_EQ(core.subscriptions().back().flag, 0u);

  module.UnsubscribeResourceEvent("/kel-login/v1/session");
  EXPECT_EQ(core.CallCount(HostFunction::kUnsubscribeEvent), 0u);
  EXPECT_TRUE(DeliverEvent(core, kSessionEvent, ResourceEventPayload("/kel-login/v1/session", Update, TextValue("x"))));
  EXPECT_EQ(seen, std::vector<std::string>{"/kel-login/v1/session"});

  module.UnsubscribeResourceEvent("/kel-login/v1/session/deeper");
  ASSERT_EQ(core.unsubscriptions().size(), 1u);
  EXPECT_EQ(core.unsubscriptions()[0].name, kSessionEvent);
  // The name's handler went with its last reference.
  DeliverEvent(core, kSessionEvent, ResourceEventPayload("/kel-login/v1/session", Update, TextValue("x")));
  EXPECT_EQ(seen.size(), 1u);
  // A release without a reference changes nothing.
  module.UnsubscribeResourceEvent("/kel-login/v1/session");
  EXPECT_EQ(core.unsubscriptions().size(), 1u);
}

TEST_F(SubscriptionCoreTest, DispatchesToTheExactListenerThenMatchingPatternsInOrder) {
  std::vector<std::string> calls;
  module.AddResourceListener("/a/*", [&](const PluginResourceEvent&) { calls.push_back("/a/*"); });
  module.AddResourceListener("/a/*/c", [&](const PluginResourceEvent&) { calls.push_back("/a/*/c first"); });
  module.AddResourceListener("/a/b/c", [&](const PluginResourceEvent&) { calls.push_back("exact"); });
  module.AddResourceListener("/*/b/c", [&](const PluginResourceEvent&) { calls.push_back("/*/b/c"); });
  module.AddResourceListener("/a/*/c", [&](const PluginResourceEvent&) { calls.push_back("/a/*/c second"); });

  // The core's uri lacks the leading "/": the dispatcher adds it.
  DeliverEvent(core, "OnJsonApiEvent_a_b_c", ResourceEventPayload("a/b/c", Create, TextValue("x")));
  EXPECT_EQ(calls, (std::vector<std::string>{"exact", "/a/*/c first", "/*/b/c", "/a/*/c second"}));
}

TEST_F(SubscriptionCoreTest, UnconvertiblePayloadsAndHandlerKindsThatDoNotFitAreDropped) {
  int calls = 0;
  module.AddResourceListener("/kel-login/v1/session", [&](const PluginResourceEvent&) { ++calls; });
  BindingValue badType = ResourceEventPayload("/kel-login/v1/session", Create, TextValue("x"));
  badType.Member("eventType").SetString("Sideways");
  DeliverEvent(core, kSessionEvent, badType);
  DeliverEvent(core, kSessionEvent, TextValue("not an event"));
  EXPECT_EQ(calls, 0);
  DeliverEvent(core, kSessionEvent, ResourceEventPayload("/kel-login/v1/session", Delete, BindingValue()));
  EXPECT_EQ(calls, 1);
}

TEST_F(SubscriptionCoreTest, DrovMessagesGoToAWaitingCallOrAsTasksToTheirClass) {
  TaskRunner tasks(core);
  std::vector<std::string> handled;
  module.SubscribeDrovClass("a.b.C", [&](const PluginDrovEvent& m) { handled.push_back(m.body.AsText()); });
  ASSERT_EQ(SubscriptionsTo(core, "OnDrovEvent_a_b_C"), 1u);  // every dot replaced

  DeliverEvent(core, "OnDrovEvent_a_b_C", DrovMessagePayload("a.b.C", TextValue("first")));
  EXPECT_TRUE(handled.empty());
  ASSERT_EQ(core.scheduled().size(), 1u);
  EXPECT_EQ(core.scheduled()[0].label, "Event: OnDrovEvent (a.b.C)");
  EXPECT_EQ(tasks.RunPending(), 1u);
  EXPECT_EQ(handled, std::vector<std::string>{"first"});

  std::vector<std::string> waited;
  module.ExpectDrovMessage("a.b.C", [&](const PluginDrovEvent& m) { waited.push_back(m.body.AsText()); });
  DeliverEvent(core, "OnDrovEvent_a_b_C", DrovMessagePayload("a.b.C", TextValue("second")));
  EXPECT_EQ(waited, std::vector<std::string>{"second"});
  EXPECT_EQ(core.scheduled().size(), 1u);

  // A class nobody subscribed to is dropped, even under a subscribed name.
  DeliverEvent(core, "OnDrovEvent_a_b_C", DrovMessagePayload("x.Y", TextValue("stray")));
  DeliverEvent(core, "OnDrovEvent_a_b_C", DrovMessagePayload("a.b.C", TextValue("third")));
  EXPECT_EQ(tasks.RunPending(), 1u);
  EXPECT_EQ(handled, (std::vector<std::string>{"first", "third"}));
}

TEST_F(SubscriptionCoreTest, ServiceProxyAnswersWaitForTheirRequestAndEachArrivalFulfilsOne) {
  for (const char* name : {"OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent", "OnServiceProxyAsyncEvent"}) {
    ASSERT_EQ(SubscriptionsTo(core, name), 1u) << name;
  }
  EXPECT_EQ(core.subscriptions()[0].flag, 1u);

  std::vector<std::string> fulfilled;
  DeliverEvent(core, "OnServiceProxyMethodEvent", ServiceProxyPayload("u1", "store", "buy", "early"));
  DeliverEvent(core, "OnServiceProxyUuidEvent", ServiceProxyPayload("u2", "store", "sell", "also early"));
  module.ServiceProxies().AwaitAnswer("store.buy",
                                      [&](const PluginServiceProxyResponse& a) { fulfilled.push_back(a.payload); });
  module.ServiceProxies().AwaitAnswer("u2",
                                      [&](const PluginServiceProxyResponse& a) { fulfilled.push_back(a.payload); });
  EXPECT_TRUE(fulfilled.empty());  // answers that came first wait for the next arrival

  DeliverEvent(core, "OnServiceProxyUuidEvent", ServiceProxyPayload("u3", "other", "call", "unrelated"));
  EXPECT_EQ(fulfilled, std::vector<std::string>{"early"});  // "store.buy" sorts before "u2"
  DeliverEvent(core, "OnServiceProxyUuidEvent", ServiceProxyPayload("u4", "other", "call", "unrelated"));
  EXPECT_EQ(fulfilled, (std::vector<std::string>{"early", "also early"}));

  EXPECT_TRUE(core.Logged("kel-champions: Fulfilled service proxy request: store.buy"));

  DeliverEvent(core, "OnServiceProxyAsyncEvent", ServiceProxyPayload("u5", "chat", "ping", ""));
  ASSERT_FALSE(core.log_lines().empty());
  const LogCall last = core.log_lines().back();
  EXPECT_EQ(last.level, log::kError);
  EXPECT_NE(last.text.find("kel-champions: Could not find registered handler for async service proxy event chat.ping"),
            std::string::npos);
  std::string async;
  module.ServiceProxies().SetAsyncHandler("chat.ping", [&](const PluginServiceProxyResponse& a) { async = a.uuid; });
  DeliverEvent(core, "OnServiceProxyAsyncEvent", ServiceProxyPayload("u6", "chat", "ping", ""));
  EXPECT_EQ(async, "u6");
}

// Shutdown runs Stop (the boundary guard's tests see it called).
TEST_F(SubscriptionCoreTest, StopEndsEverySubscriptionAndRefusesNewOnes) {
  int calls = 0;
  module.AddResourceListener("/kel-login/v1/session", [&](const PluginResourceEvent&) { ++calls; });
  module.SubscribeDrovClass("a.b.C", [&](const PluginDrovEvent&) { ++calls; });
  module.Stop();
  std::vector<std::string> names;
  for (const UnsubscribeCall& call : core.unsubscriptions()) names.push_back(call.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"OnDrovEvent_a_b_C", kSessionEvent, "OnServiceProxyAsyncEvent",
                                             "OnServiceProxyMethodEvent", "OnServiceProxyUuidEvent"}));
  EXPECT_EQ(module.State(), PluginState::Stopping);

  const size_t subscriptions = core.subscriptions().size();
  module.AddResourceListener("/kel-summoner/v1/current-summoner", [&](const PluginResourceEvent&) { ++calls; });
  module.SubscribeDrovClass("d.E", [&](const PluginDrovEvent&) { ++calls; });
  EXPECT_EQ(core.subscriptions().size(), subscriptions);
  DeliverEvent(core, kSessionEvent, ResourceEventPayload("/kel-login/v1/session", Create, TextValue("late")));
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace kel::testing
