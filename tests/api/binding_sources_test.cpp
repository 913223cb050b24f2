// Bodies and core-supplied arguments through the invoke entry, and a route
// with a native handler.
#include "api/typed_handler.h"
#include "binding/host_value_conversion.h"
#include "support/invoke_fixture.h"

namespace kel::testing {
namespace {

using enum BindingType;
using Location = ParameterLocation;

class BodyTest : public InvokeTest {
 protected:
  void SetUp() override { function_ = &Echo(RequestMethod::kPost, "/b", {Param("payload", kObject, Location::kBody)}); }

  TestAnswer Post(const char* content_type, std::string_view body) {
    TestRequest request;
    request.method = RequestMethod::kPost;
    request.path = "/b";
    request.content_type = content_type;
    request.body.assign(body.begin(), body.end());
    request.has_body = true;
    return Invoke(*function_, request);
  }

  const FunctionRecord* function_ = nullptr;
};

TEST_F(BodyTest, EachFormatByContentTypePrefix) {
  TestAnswer answer = Post("Application/JSON; charset=utf-8", R"({"a":1})");
  ASSERT_FALSE(answer.has_error) << answer.error;
  EXPECT_EQ(answer.value.Find("payload").Find("a").AsSigned(), 1);
  answer = Post("application/vnd.api+json", "[true]");
  EXPECT_TRUE(answer.value.Find("payload").Get(0).GetBool());
  answer = Post("application/x-yaml", "a: b\n");
  EXPECT_EQ(answer.value.Find("payload").Find("a").GetString(), "b");
  answer = Post("application/x-msgpack",
                "\x81\xA1"
                "a\x02");
  EXPECT_EQ(answer.value.Find("payload").Find("a").AsSigned(), 2);
}

TEST_F(BodyTest, FailuresNameTheParameterAndFunction) {
  EXPECT_EQ(Post("text/plain", "{}").error, "Unsupported body content type");
  EXPECT_EQ(Post(nullptr, "{}").error, "Unsupported body content type");
  EXPECT_EQ(Post("application/x-msgpack", "\x91\x01\x02").error, "Extra MessgePack data found in body");
  const std::string json = Post("application/json", "{\"a\":").error;
  EXPECT_EQ(json.rfind("Couldn't deserialize JSON value for parameter 'payload' of 'PostB': ", 0), 0u) << json;
  const std::string yaml = Post("application/x-yaml", "a: [").error;
  EXPECT_EQ(yaml.rfind("Couldn't deserialize YAML value for parameter 'payload' of 'PostB': ", 0), 0u) << yaml;
  const std::string msgpack = Post("application/x-msgpack", "\x92\x01").error;
  EXPECT_EQ(msgpack.rfind("Couldn't deserialize MessagePack value for parameter 'payload' of 'PostB': ", 0), 0u)
      << msgpack;
}

HostValue SignedHostValue(int64_t value) {
  HostValue host = {};
  host.kind = kHostValueSigned;
  host.payload.signed_value = value;
  return host;
}

TEST_F(InvokeTest, CoreArgumentsBindByNameOrByPositionAfterThePathValues) {
  const FunctionRecord& function =
      Echo(RequestMethod::kGet, "/a/{id}", {Param("id", kString), Param("x", kInt32), Param("y", kInt32)});
  TestRequest request;
  request.path = "/a/7";
  request.arguments = {{nullptr, SignedHostValue(5)}, {"y", SignedHostValue(6)}};
  TestAnswer answer = Invoke(function, request);
  ASSERT_FALSE(answer.has_error) << answer.error;
  EXPECT_EQ(answer.value.Find("id").GetString(), "7");
  EXPECT_EQ(answer.value.Find("x").GetSigned(), 5);
  EXPECT_EQ(answer.value.Find("y").GetSigned(), 6);

  request.arguments = {{nullptr, SignedHostValue(1)}, {nullptr, SignedHostValue(2)}, {nullptr, SignedHostValue(3)}};
  EXPECT_EQ(Invoke(function, request).error, "Unknown argument '3' for 'GetAById'.");
  request.arguments = {{"z", SignedHostValue(1)}};
  EXPECT_EQ(Invoke(function, request).error, "Unknown argument 'z' for 'GetAById'.");
}

TEST_F(InvokeTest, NativeHandlersGetConvertedArgumentsAndAFailedConversionIsABadRequest) {
  const FunctionRecord& function = RegisterRoute<std::vector<std::string>, uint64_t, int32_t>(
      table_, {RequestMethod::kGet, "/r/{summonerId}/{championId}"},
      {{{"summonerId", Location::kPath}, {"championId", Location::kPath}}},
      [](uint64_t summoner, int32_t champion) -> MaybeType<Failure, std::vector<std::string>> {
        return std::vector<std::string>{std::to_string(summoner), std::to_string(champion)};
      });
  // The champion route tests read every route's answers and its 404s.
  TestAnswer answer = Get(function, "/r/12/-3");
  ASSERT_FALSE(answer.has_error) << answer.error;
  EXPECT_EQ(answer.value.Get(1).GetString(), "-3");
  answer = Get(function, "/r/abc/1");
  EXPECT_EQ(answer.error, "Value abc for 'summonerId' of type uint64 is in an incorrect format");
  EXPECT_EQ(answer.status, 400u);
}

}  // namespace
}  // namespace kel::testing
