#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diagnostics/log.h"
#include "runtime/app_module.h"
#include "runtime/drov_call.h"
#include "runtime/event_names.h"
#include "runtime/resource_listening.h"
#include "runtime/resource_pattern.h"
#include "serialization/json_reader.h"
#include "support/binding_values.h"
#include "support/core_events.h"
#include "support/core_requests.h"
#include "support/test_plugin.h"

namespace kel::testing {
namespace {

using enum PluginResourceEventType;

constexpr const char* kSessionEvent = "OnJsonApiEvent_kel-login_v1_session";

TEST(ResourceNamesTest, EventNamesKeepThreeSegmentsOrFiveUnderPlatformConfigurationAndStarsTakeOneSegmentsRest) {
  EXPECT_EQ(ResourceEventName("kel-login/v1/session/deeper/still"), "OnJsonApiEvent_kel-login_v1_session");
  EXPECT_EQ(ResourceEventName("//kel-login//v1/"), "OnJsonApiEvent_kel-login_v1");
  EXPECT_EQ(ResourceEventName("/kel-platform-config/v1/namespaces/A/b/c/d"),
            "OnJsonApiEvent_kel-platform-config_v1_namespaces_A_b");
  // Only the first segment selects the longer form.
  EXPECT_EQ(ResourceEventName("/x/kel-platform-config/a/b/c"), "OnJsonApiEvent_x_kel-platform-config_a");
  EXPECT_EQ(ResourceEventName(""), "OnJsonApiEvent");
  // In a pattern a "*" takes the non-empty rest of one segment, up to its
  // end: pattern and path in pairs.
  const char* patterns[] = {"/a/*/c", "/a/b/c", "/a/*/c", "/a//c", "/a/*/c", "/a/b/x/c", "/a/*", "/a/b",   "/a/*",
                            "/a/",    "/a/*",   "/a/b/c", "/a/b",  "/a/bc",  "/a/b",     "/a",   "/a/x*y", "/a/xzy"};
  std::string matched;
  for (size_t i = 0; i < std::size(patterns); i += 2)
    matched += ResourcePatternMatches(patterns[i], patterns[i + 1]) ? '1' : '0';
  EXPECT_EQ(matched, "110100000");
}

class SubscriptionCoreTest : public ::testing::Test, public TestPlugin {};

TEST_F(SubscriptionCoreTest, SubscribesOnceWithTheCorePerEventNameAndUnsubscribesWithTheLastReference) {
  std::vector<std::string> seen;
  module.AddResourceListener("/kel-login/v1/session", [&](const PluginResourceEvent& e) { seen.push_back(e.uri); });
  module.AddResourceListener("/kel-login/v1/session/deeper",
                             [&](const PluginResourceEvent& e) { seen.push_back("deeper " + e.uri); });
  ASSERT_EQ(core.SubscriptionCount(kSessionEvent), 1u);
  EXPECT_EQ(std::tuple(core.subscriptions().back().plugin_handle, core.subscriptions().back().flag),
            std::tuple(42u, 0u));

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
  for (const auto& [pattern, name] : {std::pair{"/a/*", "/a/*"},
                                      {"/a/*/c", "/a/*/c first"},
                                      {"/a/b/c", "exact"},
                                      {"/*/b/c", "/*/b/c"},
                                      {"/a/*/c", "/a/*/c second"}}) {
    module.AddResourceListener(pattern, [&calls, name](const PluginResourceEvent&) { calls.push_back(name); });
  }

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
  DeliverEvent(core, kSessionEvent, ResourceEventPayload("/kel-login/v1/session", Delete, {}));
  EXPECT_EQ(calls, 1);
}

TEST_F(SubscriptionCoreTest, DrovMessagesGoToAWaitingCallOrAsTasksToTheirClass) {
  TaskRunner tasks(core);
  std::vector<std::string> handled;
  module.SubscribeDrovClass("a.b.C", [&](const PluginDrovEvent& m) { handled.push_back(m.body.AsText()); });
  ASSERT_EQ(core.SubscriptionCount("OnDrovEvent_a_b_C"), 1u);  // every dot replaced

  DeliverEvent(core, "OnDrovEvent_a_b_C", DrovMessagePayload("a.b.C", TextValue("first")));
  EXPECT_TRUE(handled.empty());
  ASSERT_EQ(core.scheduled().size(), 1u);
  EXPECT_EQ(core.scheduled()[0].label, "Event: OnDrovEvent (a.b.C)");
  EXPECT_EQ(std::tuple(tasks.RunPending(), handled), std::tuple(1u, std::vector<std::string>{"first"}));

  std::vector<std::string> waited;
  module.ExpectDrovMessage("a.b.C", [&](const PluginDrovEvent& m) { waited.push_back(m.body.AsText()); });
  DeliverEvent(core, "OnDrovEvent_a_b_C", DrovMessagePayload("a.b.C", TextValue("second")));
  EXPECT_EQ(std::tuple(waited, core.scheduled().size()), std::tuple(std::vector<std::string>{"second"}, 1u));

  // A class nobody subscribed to is dropped, even under a subscribed name.
  DeliverEvent(core, "OnDrovEvent_a_b_C", DrovMessagePayload("x.Y", TextValue("stray")));
  DeliverEvent(core, "OnDrovEvent_a_b_C", DrovMessagePayload("a.b.C", TextValue("third")));
  EXPECT_EQ(std::tuple(tasks.RunPending(), handled), std::tuple(1u, std::vector<std::string>{"first", "third"}));
}

TEST_F(SubscriptionCoreTest, ServiceProxyAnswersWaitForTheirRequestAndEachArrivalFulfilsOne) {
  for (const char* name : {"OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent", "OnServiceProxyAsyncEvent"})
    ASSERT_EQ(core.SubscriptionCount(name), 1u) << name;
  EXPECT_EQ(core.subscriptions()[0].flag, 1u);

  std::vector<std::string> fulfilled;
  const auto keep = [&](const PluginServiceProxyResponse& a) { fulfilled.push_back(a.payload); };
  DeliverEvent(core, "OnServiceProxyMethodEvent", ServiceProxyPayload("u1", "store", "buy", "early"));
  DeliverEvent(core, "OnServiceProxyUuidEvent", ServiceProxyPayload("u2", "store", "sell", "also early"));
  module.ServiceProxies().AwaitAnswer("store.buy", keep);
  module.ServiceProxies().AwaitAnswer("u2", keep);
  EXPECT_TRUE(fulfilled.empty());  // answers that came first wait for the next arrival

  DeliverEvent(core, "OnServiceProxyUuidEvent", ServiceProxyPayload("u3", "other", "call", "unrelated"));
  EXPECT_EQ(fulfilled, std::vector<std::string>{"early"});  // "store.buy" sorts before "u2"
  DeliverEvent(core, "OnServiceProxyUuidEvent", ServiceProxyPayload("u4", "other", "call", "unrelated"));
  EXPECT_EQ(fulfilled, (std::vector<std::string>{"early", "also early"}));

  EXPECT_TRUE(core.Logged("kel-champions: Fulfilled service proxy request: store.buy"));

  DeliverEvent(core, "OnServiceProxyAsyncEvent", ServiceProxyPayload("u5", "chat", "ping", ""));
  ASSERT_FALSE(core.log_lines().empty());
  EXPECT_EQ(core.log_lines().back().level, log::kError);
  EXPECT_TRUE(core.Logged("kel-champions: Could not find registered handler for async service proxy event chat.ping"));
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

struct Dto {
  int32_t id = -1;
  std::string name;
};

constexpr const char* kDtoClass = "com.example.platform.Dto";

BindingValue DtoValue(int32_t id, const char* name) {
  return StructureValue({{"id", SignedValue(id)}, {"name", TextValue(name)}});
}
BindingValue Reply(const char* typeName, const BindingValue& body) {
  return StructureValue({{"typeName", TextValue(typeName)}, {"body", body}});
}

class DrovCallTest : public ::testing::Test, public TestPlugin {
 protected:
  DrovCallTest() {
    module.registry().RegisterType<Dto>("Dto").AddField("id", &Dto::id).AddField("name", &Dto::name);
    module.DrovClasses().Add(StaticTypeOf<Dto>().identifier, kDtoClass);
  }

  void AnswerInvoke(const BindingValue& reply) { script.Answer(std::string(kDrovInvokeUrl), {reply}); }

  RequestScript script{core};
};

TEST_F(DrovCallTest, AListIsCheckedByNoClassAndKeepsDefaultsForEmptyElements) {
  AnswerInvoke(Reply("any.Class.At.All", ParseJson(R"([{"id":1,"name":"one"},null,{"id":3,"name":"three"}])").Value()));

  const MaybeType<Failure, std::vector<Dto>> result =
      CallDrov<std::vector<Dto>>(module, "inventoryService", "getAvailableChampions");
  ASSERT_FALSE(result.IsFailure()) << result.GetFailure().Message();
  ASSERT_EQ(result.Value().size(), 3u);
  EXPECT_EQ(std::tuple(result.Value()[1].id, result.Value()[2].id), std::tuple(-1, 3));
  // The future was complete: no waiting on the core.
  EXPECT_EQ(core.CallCount(HostFunction::kBeginWait), 0u);

  // Sent to the relay (the script answers nothing else), with the service,
  // the method and no arguments.
  const std::vector<SentRequest> sent = script.Sent();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].arguments.size(), 3u);
  EXPECT_EQ(std::tuple(sent[0].arguments[1].GetString(), sent[0].arguments[2].IsCollection()),
            std::tuple("getAvailableChampions", true));
}

TEST_F(DrovCallTest, RepliesAreCheckedByClassUnlessEmptyAndByShape) {
  AnswerInvoke(Reply("not.the.Class", BindingValue()));
  const MaybeType<Failure, std::vector<Dto>> list = CallDrov<std::vector<Dto>>(module, "svc", "m");
  ASSERT_FALSE(list.IsFailure());
  EXPECT_TRUE(list.Value().empty());
  EXPECT_FALSE(CallDrov<Dto>(module, "svc", "m").IsFailure());
  AnswerInvoke(Reply("com.example.platform.Other", DtoValue(1, "one")));
  EXPECT_EQ(FailureMessageOf(CallDrov<Dto>(module, "svc", "m")),
            "Expected 'com.example.platform.Dto' as DROV response for svc.m, but got 'com.example.platform.Other'");
  AnswerInvoke(Reply(kDtoClass, DtoValue(1, "one")));
  EXPECT_EQ(CallDrov<Dto>(module, "svc", "m").Value().name, "one");
  AnswerInvoke(Reply("x", DtoValue(1, "one")));
  const MaybeType<Failure, std::vector<Dto>> result = CallDrov<std::vector<Dto>>(module, "svc", "m");
  ASSERT_TRUE(result.IsFailure());
  EXPECT_EQ(std::tuple(result.GetFailure().Code(), result.GetFailure().Message()),
            std::tuple(0, std::string("Couldn't convert DROV DTO ") + StaticTypeOf<std::vector<Dto>>().Name() +
                              " to C++ from {\"id\":1,\"name\":\"one\"}"));
}

TEST_F(DrovCallTest, PushedMessagesReachTheirTypedHandlerOnlyWhenTheTaskRuns) {
  TaskRunner tasks(core);
  std::vector<std::string> handled;
  SubscribeDrovMessages<Dto>(module, kDtoClass, [&](const Dto& dto) { handled.push_back(dto.name); });
  const char* eventName = "OnDrovEvent_com_example_platform_Dto";
  DeliverEvent(core, eventName, DrovMessagePayload(kDtoClass, DtoValue(1, "pushed")));
  DeliverEvent(core, eventName, DrovMessagePayload(kDtoClass, StructureValue({{"id", TextValue("NaN")}})));
  EXPECT_TRUE(handled.empty());
  EXPECT_EQ(std::tuple(tasks.RunPending(), handled), std::tuple(2u, std::vector<std::string>{"pushed"}));
}

TEST_F(DrovCallTest, ATypedResourceListenerGetsTheCurrentValueFirstAndDefaultsOnDelete) {
  script.Answer("/kel-dto/v1/current", {DtoValue(5, "now")});
  std::vector<std::string> seen;
  ListenToResource<Dto>(module, "/kel-dto/v1/current", [&](PluginResourceEventType type, const Dto& dto) {
    seen.push_back(std::to_string(static_cast<int>(type)) + ":" + dto.name + ":" + std::to_string(dto.id));
  });
  EXPECT_EQ(seen, std::vector<std::string>{"0:now:5"});

  const char* eventName = "OnJsonApiEvent_kel-dto_v1_current";
  DeliverEvent(core, eventName, ResourceEventPayload("/kel-dto/v1/current", Update, DtoValue(6, "later")));
  const BindingValue bad = StructureValue({{"id", TextValue("six")}});
  DeliverEvent(core, eventName, ResourceEventPayload("/kel-dto/v1/current", Update, bad));
  DeliverEvent(core, eventName, ResourceEventPayload("/kel-dto/v1/current", Delete, bad));
  EXPECT_EQ(seen, (std::vector<std::string>{"0:now:5", "1:later:6", "2::-1"}));

  // A pattern has no current value to fetch; a failed fetch is silent.
  script.Answer("/kel-gone/v1/x", {BindingValue(), "missing", 404});
  ListenToResource<Dto>(module, "/kel-dto/v1/*", [&](PluginResourceEventType, const Dto&) { seen.push_back("*"); });
  ListenToResource<Dto>(module, "/kel-gone/v1/x", [&](PluginResourceEventType, const Dto&) { seen.push_back("x"); });
  EXPECT_EQ(std::tuple(seen.size(), script.Sent().size()), std::tuple(3u, 2u));
}

}  // namespace
}  // namespace kel::testing
