#include "runtime/drov_call.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/resource_listening.h"
#include "support/binding_values.h"
#include "support/core_events.h"
#include "support/core_requests.h"
#include "support/test_plugin.h"

namespace kel::testing {
namespace {

using enum PluginResourceEventType;

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
  BindingValue list;
  list.Index(0) = DtoValue(1, "one");
  list.Index(2) = DtoValue(3, "three");
  AnswerInvoke(Reply("any.Class.At.All", list));

  const MaybeType<Failure, std::vector<Dto>> result =
      CallDrov<std::vector<Dto>>(module, "inventoryService", "getAvailableChampions");
  ASSERT_FALSE(result.IsFailure()) << result.GetFailure().Message();
  ASSERT_EQ(result.Value().size(), 3u);
  EXPECT_EQ(result.Value()[1].id, -1);
  EXPECT_EQ(result.Value()[2].id, 3);
  // The future was complete: no waiting on the core.
  EXPECT_EQ(core.CallCount(HostFunction::kBeginWait), 0u);

  // Sent to the relay (the script answers nothing else), with the service,
  // the method and no arguments.
  const std::vector<SentRequest> sent = script.Sent();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].arguments.size(), 3u);
  EXPECT_EQ(sent[0].arguments[1].GetString(), "getAvailableChampions");
  EXPECT_TRUE(sent[0].arguments[2].IsCollection());
}

TEST_F(DrovCallTest, AnEmptyBodyIsAnEmptyResultWhateverItsClass) {
  AnswerInvoke(Reply("not.the.Class", BindingValue()));
  const MaybeType<Failure, std::vector<Dto>> list = CallDrov<std::vector<Dto>>(module, "svc", "m");
  ASSERT_FALSE(list.IsFailure());
  EXPECT_TRUE(list.Value().empty());
  EXPECT_FALSE(CallDrov<Dto>(module, "svc", "m").IsFailure());
}

TEST_F(DrovCallTest, AReplyOfAnotherClassThanTheRegisteredOneFails) {
  AnswerInvoke(Reply("com.example.platform.Other", DtoValue(1, "one")));
  EXPECT_EQ(FailureMessageOf(CallDrov<Dto>(module, "svc", "m")),
            "Expected 'com.example.platform.Dto' as DROV response for svc.m, but got 'com.example.platform.Other'");
  AnswerInvoke(Reply(kDtoClass, DtoValue(1, "one")));
  EXPECT_EQ(CallDrov<Dto>(module, "svc", "m").Value().name, "one");
}

TEST_F(DrovCallTest, ABodyThatIsNotAListFailsWithItsJson) {
  AnswerInvoke(Reply("x", DtoValue(1, "one")));
  const MaybeType<Failure, std::vector<Dto>> result = CallDrov<std::vector<Dto>>(module, "svc", "m");
  ASSERT_TRUE(result.IsFailure());
  EXPECT_EQ(result.GetFailure().Code(), 0);
  EXPECT_EQ(result.GetFailure().Message(), std::string("Couldn't convert DROV DTO ") +
                                               StaticTypeOf<std::vector<Dto>>().Name() +
                                               " to C++ from {\"id\":1,\"name\":\"one\"}");
}

TEST_F(DrovCallTest, PushedMessagesReachTheirTypedHandlerOnlyWhenTheTaskRuns) {
  TaskRunner tasks(core);
  std::vector<std::string> handled;
  SubscribeDrovMessages<Dto>(module, kDtoClass, [&](const Dto& dto) { handled.push_back(dto.name); });
  const char* eventName = "OnDrovEvent_com_example_platform_Dto";
  DeliverEvent(core, eventName, DrovMessagePayload(kDtoClass, DtoValue(1, "pushed")));
  DeliverEvent(core, eventName, DrovMessagePayload(kDtoClass, StructureValue({{"id", TextValue("NaN")}})));
  EXPECT_TRUE(handled.empty());
  EXPECT_EQ(tasks.RunPending(), 2u);
  EXPECT_EQ(handled, std::vector<std::string>{"pushed"});
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
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(script.Sent().size(), 2u);
}

}  // namespace
}  // namespace kel::testing
