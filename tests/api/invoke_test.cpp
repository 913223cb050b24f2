#include <map>
#include <random>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "api/api_description_block.h"
#include "api/compiled_route.h"
#include "api/invoke.h"
#include "api/response_writer.h"
#include "api/route_match.h"
#include "api/typed_handler.h"
#include "api/url_decode.h"
#include "binding/host_value_conversion.h"
#include "serialization/json_writer.h"
#include "support/invoke_fixture.h"

namespace kel::testing {
namespace {

using enum BindingType;
using Location = ParameterLocation;

std::optional<RouteMatch> MatchOne(const CompiledRoute& route, std::string_view path,
                                   RequestMethod method = RequestMethod::kGet,
                                   RequestMethod route_method = RequestMethod::kAny) {
  const RouteEntry entry{&route, route_method, {}};
  return MatchRoute(std::span(&entry, 1), RequestLine{method, {}, path});
}

// The expression a template compiles to is the matcher's own business; what
// shows is that every other character matches only itself.
TEST(CompiledRoute, MatchesLiterallyAndDropsTrailingSlashExceptForTheRoot) {
  const CompiledRoute route = CompiledRoute::Compile("/x(1)|[^$]*?.+\\}/{id}");
  EXPECT_TRUE(MatchOne(route, "/x(1)|[^$]*?.+\\}/7"));
  EXPECT_FALSE(MatchOne(route, "/x(1)|[^$]*?a+\\}/7"));
  EXPECT_EQ(CompiledRoute::Compile("/a/{id}/").Template(), "/a/{id}");
  EXPECT_EQ(CompiledRoute::Compile("/").Template(), "/");
  EXPECT_TRUE(MatchOne(CompiledRoute::Compile("/a/b/"), "/a/b"));
  EXPECT_FALSE(MatchOne(CompiledRoute::Compile("/a/b/"), "/a/b/"));
}

std::string Captured(const CompiledRoute& route, std::string_view path) {
  const auto match = MatchOne(route, path);
  if (!match) return "no match";
  std::string text;
  for (const auto& value : match->values) text += std::string(value.name) + "=" + std::string(value.value) + ";";
  return text;
}

TEST(RouteMatch, DecodesPlaceholderRestAndFragmentValues) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"/a/{id}/b", "/a/x%20y/b", "id=x y;"},
      {"/a/{id}/b", "/a/x+y/b", "id=x y;"},
      {"/a/{id}/b", "/a/%2f%2F%4a%zz%4/b", "id=//J%zz%4;"},
      {"/a/{id}/b", "/a//b", "id=;"},
      {"/a/{id}/b", "/a/x/y/b", "no match"},
      {"/a/{id}/b", "/a/x/bc", "no match"},
      {"/files/{+path}", "/files/a/b/c", "path=a/b/c;"},
      {"/doc{#part}", "/doc#intro/x", "part=intro/x;"},
      {"/doc{#part}", "/docintro", "no match"}};
  for (const auto& [route, path, expected] : cases)
    EXPECT_EQ(Captured(CompiledRoute::Compile(route), path), expected) << path;
}

TEST(RouteMatch, TheMethodMustFitAndTheShortestCaptureWinsEarlierOnTie) {
  const CompiledRoute route = CompiledRoute::Compile("/a");
  EXPECT_TRUE(MatchOne(route, "/a", RequestMethod::kPost, RequestMethod::kAny));
  EXPECT_FALSE(MatchOne(route, "/a", RequestMethod::kPost, RequestMethod::kGet));
  const CompiledRoute any = CompiledRoute::Compile("/{+all}");
  const CompiledRoute two = CompiledRoute::Compile("/{a}/{b}");
  const CompiledRoute one = CompiledRoute::Compile("/x/{b}");
  const CompiledRoute literal = CompiledRoute::Compile("/x/y");
  const auto entry = [](const CompiledRoute& route) { return RouteEntry{&route, RequestMethod::kAny, {}}; };
  const std::vector<RouteEntry> entries = {entry(any), entry(two), entry(one), entry(one)};
  const auto best = MatchRoute(entries, {RequestMethod::kGet, {}, "/x/yy"});
  ASSERT_TRUE(best);
  EXPECT_EQ(best->index, 2u);
  std::vector<RouteEntry> with_literal = entries;
  with_literal.insert(with_literal.begin() + 1, entry(literal));
  const auto exact = MatchRoute(with_literal, {RequestMethod::kGet, {}, "/x/y"});
  ASSERT_TRUE(exact);
  EXPECT_EQ(exact->index, 1u);
}

// The expression a template stands for (literals escaped, "([^/]*)" for a
// placeholder, "(.*)" for a rest placeholder, "#(.*)" for a fragment), and
// the placeholder names in order.
std::regex ExpressionOf(std::string_view path_template, std::vector<std::string>& names) {
  std::string expression;
  for (std::size_t at = 0; at < path_template.size();) {
    const std::size_t open = std::min(path_template.find('{', at), path_template.size());
    for (const char c : path_template.substr(at, open - at)) {
      if (std::string_view("^$.*+?()[]|\\{}").find(c) != std::string_view::npos) expression.push_back('\\');
      expression.push_back(c);
    }
    const std::size_t close = path_template.find('}', open);
    if (close == std::string_view::npos) break;
    std::string_view inner = path_template.substr(open + 1, close - open - 1);
    const char kind = inner.empty() ? ' ' : inner[0];
    if (kind == '+' || kind == '#') inner.remove_prefix(1);
    expression += kind == '+' ? "(.*)" : kind == '#' ? "#(.*)" : "([^/]*)";
    names.emplace_back(inner);
    at = close + 1;
  }
  return std::regex(expression, std::regex::ECMAScript);
}

// Random templates and paths over a small alphabet, so that captures meet
// literals, slashes, line ends, each other and repeated names: the matcher
// captures what the expression captures, or fails where it fails.
TEST(CompiledRoute, CapturesWhatTheExpressionCaptures) {
  const char* const template_pieces[] = {"/", "a", ".", "#", "b/", "{x}", "{+r}", "{#f}", "{y}"};
  const char path_bytes[] = {'/', 'a', '.', '#', 'b', '\n', '\r', '%', '4'};
  std::mt19937 random(7);
  int matched = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string path_template;
    for (int i = 1 + static_cast<int>(random() % 5); i > 0; --i) path_template += template_pieces[random() % 9];
    const CompiledRoute route = CompiledRoute::Compile(path_template);
    std::vector<std::string> names;
    const std::regex expression = ExpressionOf(route.Template(), names);
    if (names.empty()) continue;
    for (int p = 0; p < 30; ++p) {
      std::string path;
      for (int i = static_cast<int>(random() % 8); i > 0; --i) path.push_back(path_bytes[random() % 9]);
      std::smatch groups;
      PathValues values;
      const bool expected = std::regex_match(path, groups, expression);
      ASSERT_EQ(route.Match(path, values).has_value(), expected) << route.Template() << " on " << path;
      if (!expected) continue;
      ++matched;
      std::map<std::string, std::string> wanted;  // a repeated name keeps its last value
      for (std::size_t g = 0; g < names.size(); ++g) wanted[names[g]] = UrlDecode(groups[g + 1].str());
      std::map<std::string, std::string> actual;
      for (const PathValue& value : values) actual[value.name] = value.value;
      ASSERT_EQ(actual, wanted) << route.Template() << " on " << path;
      ASSERT_EQ(values.size(), wanted.size());
    }
  }
  EXPECT_GT(matched, 1000);
}

TEST(RouteMatch, RefusesPathsLongerThanTheBound) {
  const CompiledRoute route = CompiledRoute::Compile("/a/{id}/b");
  const std::string longest = "/a/" + std::string(kMaxMatchedPathLength - 5, 'x') + "/b";
  EXPECT_TRUE(MatchOne(route, longest));
  const CompiledRoute rest = CompiledRoute::Compile("/{+all}");
  EXPECT_TRUE(MatchOne(rest, longest));
  EXPECT_FALSE(MatchOne(rest, longest + "y"));
}

std::string JsonOf(const TestAnswer& answer) {
  return answer.has_error ? "error: " + answer.error : WriteJson(answer.value);
}

// Decoding the path values is the route matcher's; here the query beside
// the match, and a flag without a value.
TEST_F(InvokeTest, PathValuesAreDecodedAndTheQueryIsReadBesideTheMatch) {
  const FunctionRecord& function =
      Echo(RequestMethod::kGet, "/inv/{summonerId}/items/{name}/",
           {Param("summonerId", kString, Location::kPath), Param("name", kString, Location::kPath),
            Param("verbose", kBool, Location::kQuery)});
  TestAnswer answer = Get(function, "/inv/12/items/x%20y+z?verbose");
  EXPECT_EQ(JsonOf(answer), R"({"name":"x y z","summonerId":"12","verbose":true})");
  EXPECT_EQ(answer.status, 200u);
  EXPECT_FALSE(Get(function, "/inv/12/items/a").value.Find("verbose").GetBool(true));
}

TEST_F(InvokeTest, RequestsThatFitNoRouteOrCustomMethodAreInvalidFunctions) {
  const FunctionRecord& function = Echo(RequestMethod::kGet, "/a/{id}", {Param("id", kString)});
  const TestRequest post{RequestMethod::kPost, "/a/1"};
  for (const TestAnswer& answer : {Invoke(function, post), Get(function, "/a/1/b"), Get(function, "/b/1")})
    EXPECT_EQ(std::tuple(answer.has_error, answer.error, answer.status), std::tuple(true, "Invalid function", 404u));
  // Unknown method codes from the core mean "any", which a GET route refuses.
  EXPECT_EQ(Invoke(function, {static_cast<RequestMethod>(77), "/a/1"}).error, "Invalid function");
  // A custom method matches by its name, which the record carries.
  FunctionDefinition definition;
  definition.method = RequestMethod::kCustom;
  definition.custom_method = "PURGE";
  definition.path_template = "/cache";
  definition.handler = std::make_unique<EchoHandler>(std::vector<std::string>());
  const FunctionRecord& purge = table_.Register(std::move(definition));
  TestRequest request{.method = RequestMethod::kCustom, .path = "/cache", .custom_method = "PURGE"};
  EXPECT_FALSE(Invoke(purge, request).has_error);
  request.custom_method = "FETCH";
  EXPECT_EQ(Invoke(purge, request).error, "Invalid function");
}

TEST_F(InvokeTest, HeadersBindByLowerCaseNameAndLocationsAreEnforced) {
  const FunctionRecord& function =
      Echo(RequestMethod::kGet, "/h",
           {Param("Token", kString, Location::kHeader), Param("limit", kInt32, Location::kQuery)});
  EXPECT_EQ(JsonOf(Invoke(function, {.path = "/h?limit=5", .headers = {{"token", "abc"}, {"Token", "ignored"}}})),
            R"({"Token":"abc","limit":"5"})");

  const TestAnswer answer = Get(function, "/h?Token=x");
  EXPECT_EQ(std::tuple(answer.error, answer.status),
            std::tuple("Argument 'Token' for 'GetH' was specified in an invalid location.", 400u));
  EXPECT_EQ(Get(function, "/h?nope=1&limit=2").error, "Unknown argument 'nope' for 'GetH'.");
  EXPECT_EQ(Get(function, "/h?limit").error, "Expected value for argument 'limit'.");
}

TEST_F(InvokeTest, NestedNamesAddressElementsAndMembersAndStructuredValuesComeAsTexts) {
  const FunctionRecord& function =
      Echo(RequestMethod::kGet, "/n",
           {Param("filter", kVector, Location::kQuery, kString), Param("options", kObject, Location::kQuery)});
  EXPECT_EQ(JsonOf(Get(function, "/n?filter.2=c&filter.0=a&options.a.b=1&options.list.0x1=z")),
            R"({"filter":["a",null,"c"],"options":{"a":{"b":"1"},"list":[null,"z"]}})");

  EXPECT_EQ(Get(function, "/n?filter.2x=1").error, "Index 2x is in an incorrect format");
  EXPECT_EQ(Get(function, "/n?filter.08=1").error, "Index 08 is in an incorrect format");
  EXPECT_EQ(Get(function, "/n?filter.4294967296=1").error, "Index 4294967296 is out of range");
  EXPECT_EQ(Get(function, "/n?filter.99999999999999999999999=1").error,
            "Index 99999999999999999999999 is out of range");
  // Far below 2^31, but enough to exhaust memory: refused as well.
  EXPECT_EQ(Get(function, "/n?filter.2147483647=1").error, "Index 2147483647 is out of range");

  // Absent values, and structured values given as texts.
  const FunctionRecord& structured =
      Echo(RequestMethod::kGet, "/s",
           {Param("opts", kObject, Location::kQuery), Param("list", kVector, Location::kQuery, kInt32)});
  EXPECT_EQ(JsonOf(Get(structured, "/s?opts&list")), R"({"list":[],"opts":{}})");
  // JSON, YAML and MessagePack are recognised by their first bytes.
  EXPECT_EQ(JsonOf(Get(structured, "/s?opts=%7B%22a%22%3A1%7D&list=%20[1,2]")), R"({"list":[1,2],"opts":{"a":1}})");
  EXPECT_EQ(JsonOf(Get(structured, "/s?opts=---%0Ab%3A%20x&list=%91%05")), R"({"list":[5],"opts":{"b":"x"}})");

  const std::string broken = Get(structured, "/s?opts=%7Bnope").error;
  EXPECT_EQ(broken.rfind("Couldn't deserialize JSON value for parameter 'opts' of 'GetS': ", 0), 0u) << broken;
}

TEST_F(InvokeTest, EachBodyFormatByContentTypePrefixAndFailuresNameTheParameterAndFunction) {
  const FunctionRecord& function = Echo(RequestMethod::kPost, "/b", {Param("payload", kObject, Location::kBody)});
  const auto Post = [&](const char* type, std::string_view body) {
    return Invoke(function, {.method = RequestMethod::kPost,
                             .path = "/b",
                             .content_type = type,
                             .body = {body.begin(), body.end()},
                             .has_body = true});
  };
  const std::tuple<const char*, std::string_view, const char*> cases[] = {
      {"Application/JSON; charset=utf-8", R"({"a":1})", R"({"a":1})"},
      {"application/vnd.api+json", "[true]", "[true]"},
      {"application/x-yaml", "a: b\n", R"({"a":"b"})"},
      {"application/x-msgpack", "\x81\xA1\x61\x02", R"({"a":2})"}};
  for (const auto& [type, body, json] : cases) EXPECT_EQ(WriteJson(Post(type, body).value.Find("payload")), json);
  EXPECT_EQ(Post("text/plain", "{}").error, "Unsupported body content type");
  EXPECT_EQ(Post(nullptr, "{}").error, "Unsupported body content type");
  EXPECT_EQ(Post("application/x-msgpack", "\x91\x01\x02").error, "Extra MessgePack data found in body");
  const std::tuple<const char*, const char*, std::string> broken[] = {
      {"application/json", "{\"a\":", "JSON"},
      {"application/x-yaml", "a: [", "YAML"},
      {"application/x-msgpack", "\x92\x01", "MessagePack"}};
  for (const auto& [type, body, format] : broken) {
    const std::string error = Post(type, body).error;
    EXPECT_EQ(error.rfind("Couldn't deserialize " + format + " value for parameter 'payload' of 'PostB': ", 0), 0u)
        << error;
  }
}

HostValue SignedHostValue(int64_t value) { return {.kind = kHostValueSigned, .payload = {.signed_value = value}}; }

TEST_F(InvokeTest, CoreArgumentsBindByNameOrByPositionAfterThePathValues) {
  const FunctionRecord& function =
      Echo(RequestMethod::kGet, "/a/{id}", {Param("id", kString), Param("x", kInt32), Param("y", kInt32)});
  TestRequest request{.path = "/a/7", .arguments = {{nullptr, SignedHostValue(5)}, {"y", SignedHostValue(6)}}};
  EXPECT_EQ(JsonOf(Invoke(function, request)), R"({"id":"7","x":5,"y":6})");

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
  EXPECT_EQ(JsonOf(Get(function, "/r/12/-3")), R"(["12","-3"])");
  const TestAnswer answer = Get(function, "/r/abc/1");
  EXPECT_EQ(std::tuple(answer.error, answer.status),
            std::tuple("Value abc for 'summonerId' of type uint64 is in an incorrect format", 400u));
}

// The response record: what the invoke entry copies into it, what the core
// reads from it, and its release; and the API description built for the core
// (the host's OpenAPI test reads the real plug-in's through the same records).
class CountingStream final : public ResponseBodyStream {
 public:
  explicit CountingStream(int& destroyed) : destroyed_(destroyed) {}
  ~CountingStream() override { ++destroyed_; }
  uint32_t Read(uintptr_t a, uintptr_t b, uintptr_t c) override { return static_cast<uint32_t>(a + b + c); }
  uint32_t Size() const override { return 1234; }

 private:
  int& destroyed_;
};

class FullHandler final : public FunctionHandler {
 public:
  FullHandler(int& destroyed, std::string& seen) : destroyed_(destroyed), seen_(seen) {}
  std::unique_ptr<CallState> Prepare(CallResult&, std::span<BindingValue>, uint32_t) override {
    return std::make_unique<CallState>();
  }
  void Run(CallResult& call, const RequestInfo* info, CallState&, uint32_t token) override {
    call.result.Value().SetString("value");
    call.flags = 7;
    call.format = 9;  // not a format: reported as the default
    call.status = 201;
    call.text = "hello";
    call.headers = {{"X-One", "1"}, {"X-Two", "2"}};
    call.body = std::make_unique<CountingStream>(destroyed_);
    seen_ = std::to_string(token) + " " + std::string(info->path) + " " + std::string(info->headers->at("h"));
  }
  bool TakesRequestInfo() const override { return true; }

 private:
  int& destroyed_;
  std::string& seen_;  // the token, the path and header "h"
};

TEST_F(InvokeTest, ResponseCarriesTheCallResultReleaseFreesWhatThePlugInPutInAndTheEmptyTextIsShared) {
  int destroyed = 0;
  std::string seen;
  FunctionDefinition definition;
  definition.path_template = "/full";
  definition.handler = std::make_unique<FullHandler>(destroyed, seen);
  const FunctionRecord& function = table_.Register(std::move(definition));

  const InvokeContext context{&registry_, &function};
  const RequestHeaderEntry header{"h", "v"};
  const RequestRecord request{.method = static_cast<uint32_t>(RequestMethod::kGet),
                              .path = "/full?&",
                              .invoke_context = &context,
                              .headers = &header,
                              .header_count = 1,
                              .request_token = 99};
  ResponseRecord response = {};
  InvokeFunction(&response, &request);

  EXPECT_EQ(seen, "99 /full?& v");
  EXPECT_EQ(std::tuple(+response.error_message, +response.flags, +response.format, +response.status,
                       std::string(response.text), +response.body_size),
            std::tuple(nullptr, 7, 0u, 201u, "hello", 1234u));
  ASSERT_EQ(+response.header_count, 2u);
  EXPECT_STREQ(response.headers[1].value, "2");
  ASSERT_NE(+response.body_stream, nullptr);
  EXPECT_EQ(response.read_body(response.body_stream, 1, 2, 3), 6u);

  // The stream is the core's to release; the record's release leaves it.
  void* stream = response.body_stream;
  BodyStreamReleaseFn release_stream = response.release_body;
  response.release(&response);
  EXPECT_EQ(destroyed, 0);
  release_stream(stream);
  EXPECT_EQ(destroyed, 1);

  // The empty text is one shared text, never freed.
  CallResult call;
  ResponseRecord first = {}, second = {};
  WriteResponse(first, call, &registry_);
  WriteResponse(second, call, &registry_);
  EXPECT_EQ(+first.text, +second.text);
  EXPECT_STREQ(first.text, "");
  ReleaseResponse(&first);
  ReleaseResponse(&second);
}

// Invoking through a descriptor's context is what every route test does.
TEST_F(InvokeTest, ApiDescriptionDescribesEveryFunction) {
  Echo(RequestMethod::kGet, "/one", {});
  RegisterRoute<std::vector<int32_t>, uint64_t, bool>(
      table_, {RequestMethod::kPost, "/two/{summonerId}/"},
      {{{"summonerId", ParameterLocation::kPath}, {"all", ParameterLocation::kQuery, true}}},
      [](uint64_t, bool) -> MaybeType<Failure, std::vector<int32_t>> { return std::vector<int32_t>{}; });
  ApiDescriptionBlock block;
  block.Build(table_);
  // Names, texts and types are read through the same records by the host's
  // OpenAPI test; here only the links and what the host cannot see.
  const ApiDescription& api = block.Description();
  ASSERT_EQ(+api.function_count, 2u);
  const FunctionDescriptor& two = api.functions[1];
  EXPECT_EQ(std::tuple(+two.description.next, std::string(two.path_template), +two.description.arguments[0].next,
                       +two.parameters->next->location, +api.functions[0].parameters),
            std::tuple(nullptr, "/two/{summonerId}", &two.description.arguments[1],
                       static_cast<uint32_t>(ParameterLocation::kQuery), nullptr));
}

}  // namespace
}  // namespace kel::testing
