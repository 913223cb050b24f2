// Requests through the invoke entry: matching, text arguments and their
// failures.
#include "serialization/json_writer.h"
#include "support/invoke_fixture.h"

namespace kel::testing {
namespace {

using enum BindingType;
using Location = ParameterLocation;

// Decoding the path values is the route matcher's; here the query beside
// the match, and a flag without a value.
TEST_F(InvokeTest, PathValuesAreDecodedAndTheQueryIsReadBesideTheMatch) {
  const FunctionRecord& function =
      Echo(RequestMethod::kGet, "/inv/{summonerId}/items/{name}/",
           {Param("summonerId", kString, Location::kPath), Param("name", kString, Location::kPath),
            Param("verbose", kBool, Location::kQuery)});
  TestAnswer answer = Get(function, "/inv/12/items/x%20y+z?verbose");
  ASSERT_FALSE(answer.has_error) << answer.error;
  EXPECT_EQ(answer.status, 200u);
  EXPECT_EQ(WriteJson(answer.value), R"({"name":"x y z","summonerId":"12","verbose":true})");
  EXPECT_FALSE(Get(function, "/inv/12/items/a").value.Find("verbose").GetBool(true));
}

TEST_F(InvokeTest, RequestsThatFitNoRouteAreInvalidFunctions) {
  const FunctionRecord& function = Echo(RequestMethod::kGet, "/a/{id}", {Param("id", kString)});
  TestRequest post;
  post.method = RequestMethod::kPost;
  post.path = "/a/1";
  for (const TestAnswer& answer : {Invoke(function, post), Get(function, "/a/1/b"), Get(function, "/b/1")}) {
    EXPECT_TRUE(answer.has_error);
    EXPECT_EQ(answer.error, "Invalid function");
    EXPECT_EQ(answer.status, 404u);
  }
  // Unknown method codes from the core mean "any", which a GET route refuses.
  TestRequest odd;
  odd.method = static_cast<RequestMethod>(77);
  odd.path = "/a/1";
  EXPECT_EQ(Invoke(function, odd).error, "Invalid function");
}

// Comparing custom methods is the route matcher's; here the record's name
// reaches it.
TEST_F(InvokeTest, CustomMethodsCompareByName) {
  FunctionDefinition definition;
  definition.method = RequestMethod::kCustom;
  definition.custom_method = "PURGE";
  definition.path_template = "/cache";
  definition.handler = std::make_unique<EchoHandler>(std::vector<std::string>());
  const FunctionRecord& function = table_.Register(std::move(definition));
  TestRequest request{RequestMethod::kCustom, "/cache"};
  request.custom_method = "PURGE";
  EXPECT_FALSE(Invoke(function, request).has_error);
  request.custom_method = "FETCH";
  EXPECT_EQ(Invoke(function, request).error, "Invalid function");
}

TEST_F(InvokeTest, HeadersBindByLowerCaseNameAndLocationsAreEnforced) {
  const FunctionRecord& function =
      Echo(RequestMethod::kGet, "/h",
           {Param("Token", kString, Location::kHeader), Param("limit", kInt32, Location::kQuery)});
  TestRequest request;
  request.path = "/h?limit=5";
  request.headers = {{"token", "abc"}, {"Token", "ignored"}};
  TestAnswer answer = Invoke(function, request);
  ASSERT_FALSE(answer.has_error) << answer.error;
  EXPECT_EQ(WriteJson(answer.value), R"({"Token":"abc","limit":"5"})");

  answer = Get(function, "/h?Token=x");
  EXPECT_EQ(answer.error, "Argument 'Token' for 'GetH' was specified in an invalid location.");
  EXPECT_EQ(answer.status, 400u);
  EXPECT_EQ(Get(function, "/h?nope=1&limit=2").error, "Unknown argument 'nope' for 'GetH'.");
  EXPECT_EQ(Get(function, "/h?limit").error, "Expected value for argument 'limit'.");
}

TEST_F(InvokeTest, NestedNamesAddressElementsAndMembers) {
  const FunctionRecord& function =
      Echo(RequestMethod::kGet, "/n",
           {Param("filter", kVector, Location::kQuery, kString), Param("options", kObject, Location::kQuery)});
  TestAnswer answer = Get(function, "/n?filter.2=c&filter.0=a&options.a.b=1&options.list.0x1=z");
  ASSERT_FALSE(answer.has_error) << answer.error;
  EXPECT_EQ(WriteJson(answer.value), R"({"filter":["a",null,"c"],"options":{"a":{"b":"1"},"list":[null,"z"]}})");

  EXPECT_EQ(Get(function, "/n?filter.2x=1").error, "Index 2x is in an incorrect format");
  EXPECT_EQ(Get(function, "/n?filter.08=1").error, "Index 08 is in an incorrect format");
  EXPECT_EQ(Get(function, "/n?filter.4294967296=1").error, "Index 4294967296 is out of range");
  EXPECT_EQ(Get(function, "/n?filter.99999999999999999999999=1").error,
            "Index 99999999999999999999999 is out of range");
  // Far below 2^31, but enough to exhaust memory: refused as well.
  EXPECT_EQ(Get(function, "/n?filter.2147483647=1").error, "Index 2147483647 is out of range");
}

TEST_F(InvokeTest, AbsentValuesAndStructuredTextValues) {
  const FunctionRecord& function =
      Echo(RequestMethod::kGet, "/s",
           {Param("opts", kObject, Location::kQuery), Param("list", kVector, Location::kQuery, kInt32)});
  TestAnswer answer = Get(function, "/s?opts&list");
  ASSERT_FALSE(answer.has_error) << answer.error;
  EXPECT_EQ(WriteJson(answer.value), R"({"list":[],"opts":{}})");

  // JSON, YAML and MessagePack are recognised by their first bytes.
  answer = Get(function, "/s?opts=%7B%22a%22%3A1%7D&list=%20[1,2]");
  ASSERT_FALSE(answer.has_error) << answer.error;
  EXPECT_EQ(WriteJson(answer.value), R"({"list":[1,2],"opts":{"a":1}})");
  answer = Get(function, "/s?opts=---%0Ab%3A%20x&list=%91%05");
  ASSERT_FALSE(answer.has_error) << answer.error;
  EXPECT_EQ(WriteJson(answer.value), R"({"list":[5],"opts":{"b":"x"}})");

  const std::string broken = Get(function, "/s?opts=%7Bnope").error;
  EXPECT_EQ(broken.rfind("Couldn't deserialize JSON value for parameter 'opts' of 'GetS': ", 0), 0u) << broken;
}

}  // namespace
}  // namespace kel::testing
