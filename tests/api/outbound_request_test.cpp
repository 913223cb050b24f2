#include "api/outbound_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/event_publishing.h"
#include "support/core_events.h"
#include "support/binding_values.h"
#include "support/core_requests.h"
#include "support/test_plugin.h"

namespace kel::testing {
namespace {

struct Thing {
  int32_t id = 0;
  std::string name;
};

struct Unregistered {};

BindingValue ThingValue(int32_t id, const char* name) {
  return StructureValue({{"id", SignedValue(id)}, {"name", TextValue(name)}});
}

class OutboundRequestTest : public ::testing::Test, public TestPlugin {
 protected:
  OutboundRequestTest() {
    module.registry().RegisterType<Thing>("Thing").AddField("id", &Thing::id).AddField("name", &Thing::name);
  }

  RequestScript script{core};
  const int strayReleasesAtStart = RequestScript::StrayReleases();
};

TEST_F(OutboundRequestTest, TheStatusAloneNeverFailsARequestAndAnErrorMessageAlwaysDoes) {
  script.Answer("/things/1", {ThingValue(1, "one"), std::nullopt, 404});
  script.Answer("/things/2", {ThingValue(2, "two"), "It broke", 200, std::vector<StreamRead>{{"{}"}}});

  const MaybeType<Failure, Thing> found = Fetch<Thing>(module, RequestMethod::kGet, "/things/1");
  ASSERT_FALSE(found.IsFailure()) << found.GetFailure().Message();
  EXPECT_EQ(std::tuple(found.Value().id, found.Value().name), std::tuple(1, "one"));

  const MaybeType<Failure, Thing> failed = Fetch<Thing>(module, RequestMethod::kGet, "/things/2");
  ASSERT_TRUE(failed.IsFailure());
  EXPECT_EQ(std::tuple(failed.GetFailure().Code(), failed.GetFailure().Message()),
            std::tuple(200, "Error response for GET /things/2: It broke"));
  // Each placeholder's value is a text property, the code an integer one.
  const FailureProperty* error = failed.GetFailure().FindProperty("error_str");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(std::get<std::string>(*error), "It broke");
  EXPECT_EQ(std::get<std::int64_t>(*failed.GetFailure().FindProperty("errorCode_int")), 200);

  // A stream with an error answer is closed unread.
  EXPECT_EQ(std::tuple(script.Releases(), script.StreamCloses(), RequestScript::StrayReleases()),
            std::tuple(2, 1, strayReleasesAtStart));
}

TEST_F(OutboundRequestTest, ABodyOrParameterThatDoesNotConvertIsAConversionFailure) {
  script.Answer("/things/7", {StructureValue({{"id", TextValue("seven")}})});
  const MaybeType<Failure, Thing> result = Fetch<Thing>(module, RequestMethod::kGet, "/things/7");
  ASSERT_TRUE(result.IsFailure());
  EXPECT_EQ(std::tuple(result.GetFailure().Code(), result.GetFailure().Message()),
            std::tuple(0,
                       "Error converting response for GET /things/7: Value seven for 'id' of type int32 is in an "
                       "incorrect format"));
  // A parameter that does not convert fails with 400 and nothing is sent.
  const MaybeType<Failure, Nothing> unsent = Post(module, RequestMethod::kPost, "/things", Unregistered{});
  ASSERT_TRUE(unsent.IsFailure());
  EXPECT_EQ(std::tuple(unsent.GetFailure().Code(), unsent.GetFailure().Message()),
            std::tuple(400,
                       "Request not sent: Error converting parameters for POST /things: Couldn't convert native "
                       "value because it's an unregistered structure."));
  EXPECT_EQ(std::tuple(core.CallCount(HostFunction::kSendRequest), script.Releases()), std::tuple(1u, 1));
}

TEST_F(OutboundRequestTest, ParametersArePositionalAndTheRequestCarriesThePluginHandle) {
  const std::vector<BindingValue> list{SignedValue(5), ThingValue(3, "three")};
  HostResponse response;
  ASSERT_FALSE(
      Send(module, response, RequestMethod::kPost, "/relay", "destination", std::string("method"), list).IsFailure());
  ASSERT_FALSE(Post(module, RequestMethod::kPut, "/things/3", Thing{3, "three"}).IsFailure());
  ASSERT_FALSE(Fetch<BindingValue>(module, RequestMethod::kDelete, "/things/4").IsFailure());
  EXPECT_EQ(script.Releases(), 2);  // the caller's response is still its own
  response.Release();
  response.Release();
  EXPECT_EQ(script.Releases(), 3);

  const std::vector<SentRequest> sent = script.Sent();
  ASSERT_EQ(sent.size(), 3u);
  ASSERT_EQ(sent[0].arguments.size(), 3u);
  EXPECT_EQ(
      std::tuple(sent[0].method, sent[0].arguments[1].GetString(), sent[0].arguments[2].Get(1).Find("name").GetString(),
                 sent[1].arguments.at(0).Find("id").AsSigned(), sent[2].arguments.empty()),
      std::tuple(RequestMethod::kPost, "method", "three", 3, true));
  for (const SentRequest& request : sent)
    EXPECT_EQ(std::tuple(request.allArgumentsUnnamed, request.token, request.restZero), std::tuple(true, 42u, true));
}

TEST_F(OutboundRequestTest, StreamedBodiesYieldOnlyBetweenShortChunksWithMoreToCome) {
  const std::string full = "[" + std::string(4094, ' ') + "]";
  // A hostile size hint reserves no more than a sane amount.
  script.Answer("/whole", {.stream = std::vector<StreamRead>{{full, false}}, .sizeHint = 0xFFFFFFFFu});
  script.Answer("/pieces", {.stream = std::vector<StreamRead>{
                                {R"({"id":4,)", true}, {std::string(4096, ' '), true}, {R"("name":"x"})", false}}});

  const MaybeType<Failure, BindingValue> whole = Fetch<BindingValue>(module, RequestMethod::kGet, "/whole");
  ASSERT_FALSE(whole.IsFailure()) << whole.GetFailure().Message();
  EXPECT_TRUE(whole.Value().IsCollection());
  EXPECT_EQ(script.WaitsBeforeReads(), std::vector<size_t>{0});

  const MaybeType<Failure, Thing> thing = Fetch<Thing>(module, RequestMethod::kGet, "/pieces");
  ASSERT_FALSE(thing.IsFailure()) << thing.GetFailure().Message();
  EXPECT_EQ(std::tuple(thing.Value().id, thing.Value().name), std::tuple(4, "x"));
  // One yield after the short first chunk; none after the full second one.
  EXPECT_EQ(script.WaitsBeforeReads(), (std::vector<size_t>{0, 0, 1, 1}));
  ASSERT_EQ(core.waits().size(), 1u);
  EXPECT_EQ(core.waits()[0].label, "Wait: yield");
  EXPECT_EQ(std::tuple(script.StreamCloses(), script.Releases()), std::tuple(2, 2));
}

TEST_F(OutboundRequestTest, AStreamThatFailsOrDoesNotParseIsAReadingFailure) {
  script.Answer("/broken", {.stream = std::vector<StreamRead>{{"[1,", true}, {"", false, false}}});
  script.Answer("/garbled", {.stream = std::vector<StreamRead>{{"{oops", false}}});

  EXPECT_EQ(FailureMessageOf(Fetch<BindingValue>(module, RequestMethod::kGet, "/broken")),
            "Error reading streamed response for GET /broken: Stream read error");
  EXPECT_EQ(FailureMessageOf(Fetch<BindingValue>(module, RequestMethod::kGet, "/garbled"))
                .rfind("Error reading streamed response for GET /garbled: Error: ", 0),
            0u);
  EXPECT_EQ(std::tuple(script.StreamCloses(), script.Releases()), std::tuple(2, 2));
}

// The inventory's publishing tests see every event go out under its own
// name and then the general one; an event sent under its own name already
// goes out once, with the caller's word.
TEST_F(OutboundRequestTest, AnEventSentUnderItsOwnNameGoesOutOnce) {
  PublishedEvents events(core);
  const PluginResourceEvent event{"/kel-champions/v1/inventories/7/champions", PluginResourceEventType::Update,
                                  ThingValue(1, "one")};
  ASSERT_FALSE(SendEvent(module, "OnJsonApiEvent_kel-champions_v1_inventories", event, 9).IsFailure());
  const std::vector<PublishedEvent> published = events.All();
  ASSERT_EQ(published.size(), 1u);
  EXPECT_EQ(std::tuple(published[0].word, published[0].data.Find("name").GetString()), std::tuple(9u, "one"));
}

// A value is put in as it stands: a placeholder inside it is not filled.
TEST(FailureTest, CodeZeroAndUnknownOrOpenPlaceholdersStayAsWritten) {
  const Failure failure = Failure::FromTemplate(0, "{known} {unknown} {open", {{"known", "{known}"}});
  EXPECT_EQ(failure.Message(), "{known} {unknown} {open");
  EXPECT_EQ(std::tuple(failure.FindProperty("errorCode_int"), failure.FindProperty("unknown_str"),
                       failure.GetProperties().size()),
            std::tuple(nullptr, nullptr, 1u));
}

}  // namespace
}  // namespace kel::testing
