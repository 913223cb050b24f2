// The host's side of the plug-in's entries, in-process: invoke, the event
// stream, and the host's own HostValue writing and event names.
#include <gtest/gtest.h>

#include <httplib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/api_catalog.h"
#include "host/core_event_names.h"
#include "host/host_core.h"
#include "host/host_value_json.h"
#include "host/http_server.h"
#include "host/plugin_invoke.h"

namespace kel::host {
namespace {

// What the entry saw, and the releases it got back.
struct Seen {
  std::string path, header, body;
  uint32_t token = 0;
  int releases = 0, stream_releases = 0;
  std::size_t stream_offset = 0;
} seen;
const std::string kStreamed(5000, 'x');

uint32_t ReadStream(void*, uintptr_t buffer, uintptr_t length, uintptr_t more) {
  auto& room = *reinterpret_cast<uint32_t*>(length);
  room = static_cast<uint32_t>(std::min<std::size_t>(room, kStreamed.size() - seen.stream_offset));
  std::memcpy(reinterpret_cast<char*>(buffer), kStreamed.data() + seen.stream_offset, room);
  seen.stream_offset += room;
  *reinterpret_cast<uint8_t*>(more) = seen.stream_offset < kStreamed.size();
  return 1;
}
void Release(ResponseRecord* response) {
  ++seen.releases;
  std::free(response->error_message);
  std::memset(response, 0, sizeof *response);
}

// Answers by the path: ".../error" fails with status 200 (as a binding
// failure does), ".../missing" with 404, ".../stream" streams, anything
// else echoes a value.
void Invoke(ResponseRecord* response, const RequestRecord* request) {
  response->release = &Release;
  seen.path = request->path;
  seen.token = request->request_token;
  seen.body.assign(reinterpret_cast<const char*>(request->body), request->body_length);
  for (uint32_t i = 0; i < request->header_count; ++i) {
    if (std::strcmp(request->headers[i].name, "x-test") == 0) seen.header = request->headers[i].value;
  }
  const std::string path = seen.path.substr(0, seen.path.find('?'));
  response->status = path.ends_with("/error") ? 200 : path.ends_with("/missing") ? 404 : 201;
  if (response->status != 201) {
    response->error_message = strdup("it went wrong");
    response->has_error = 1;
  } else if (path.ends_with("/stream")) {
    response->read_body = &ReadStream;
    response->release_body = [](void*) { ++seen.stream_releases; };
    response->body_stream = &seen;
  } else {
    response->result.kind = kHostValueBorrowedString;
    response->result.payload.reference = HostValueReference{"made", 4};
  }
}

TEST(PluginInvoke, PicksTheFunctionByMethodAndTemplateAndReadsEveryKindOfAnswer) {
  FunctionDescriptor functions[2]{};
  // The host's own table decides: a described function serves a path only
  // under the table's name, with the table's template and a fitting method.
  functions[0].description.name = "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionId";
  functions[0].invoke = &Invoke;
  functions[0].path_template = "/kel-champions/v1/inventories/{summonerId}/champions/{championId}";
  functions[0].method = static_cast<uint32_t>(MethodCode::kGet);
  functions[1] = functions[0];
  functions[1].description.name = "GetKelChampionsV1InventoriesBySummonerIdChampions";
  functions[1].path_template = "/kel-champions/v1/inventories/{summonerId}/champion";
  ApiDescription description{};
  description.functions = functions;
  description.function_count = 2;
  const ApiCatalog catalog(&description);

  const std::string root = "/kel-champions/v1/inventories/";
  EXPECT_EQ(catalog.Select(MethodCode::kPost, "", root + "1/champions/7"), nullptr);
  EXPECT_EQ(catalog.Select(MethodCode::kGet, "", root + "1/champions"), nullptr);
  EXPECT_EQ(catalog.Select(MethodCode::kGet, "", root + "1/champions/7/x"), nullptr);
  const ApiFunction* get = catalog.Select(MethodCode::kGet, "", root + "/champions/a%20b?q=1");
  ASSERT_EQ(get, &catalog.Functions()[0]);

  InboundRequest request{
      .method = MethodCode::kPost, .path = "/things/a%20b?q=1", .headers = {{"x-test", "yes"}}, .body = "{\"a\":1}"};
  const InvokeAnswer made = InvokeFunction(*get, request, 42);
  EXPECT_EQ(made.status, 201);
  EXPECT_EQ(made.json, "\"made\"");
  EXPECT_EQ(seen.path, "/things/a%20b?q=1");  // the raw path and query, as the plug-in binds them
  EXPECT_EQ(seen.header, "yes");
  EXPECT_EQ(seen.body, "{\"a\":1}");
  EXPECT_EQ(seen.token, 42u);

  request.method = MethodCode::kGet;
  request.path = "/things/1/error";
  const InvokeAnswer failed = InvokeFunction(*get, request, 1);
  EXPECT_EQ(failed.status, 400);
  EXPECT_EQ(failed.json, R"({"httpStatus":400,"message":"it went wrong"})");
  request.path = "/things/1/missing";
  EXPECT_EQ(InvokeFunction(*get, request, 1).status, 404);

  request.path = "/things/1/stream";
  EXPECT_EQ(InvokeFunction(*get, request, 1).json, kStreamed);
  EXPECT_EQ(seen.stream_releases, 1);
  EXPECT_EQ(seen.releases, 4);  // one release per filled response
}

void Publish(HostCore& core, const char* name, const char* uri, const char* type) {
  const Result<Json> event =
      ParseJson(std::string(R"({"uri":")") + uri + R"(","eventType":")" + type + R"(","data":{"n":7}})");
  const EncodedHostValue payload(event.Value());
  OutgoingEventRecord record{};
  record.name = name;
  record.payload = payload.Get();
  core.Bus().Publish(record);
}

// The host with the plug-in loaded, not logged in, serving on a free port.
class HostEventStream : public ::testing::Test {
 protected:
  void SetUp() override {
    const Outcome started = core.Start();
    ASSERT_TRUE(started.Ok()) << started.Message();
    port = server.Bind("127.0.0.1", 0);
    ASSERT_NE(port, 0);
    server.Start();
  }
  void TearDown() override {
    server.Stop();  // ends the open streams, then stops
    core.Close();
  }

  const HostOptions options{.module_path = KEL_MODULE_PATH, .auto_login = false};
  HostLog log{nullptr};
  HostCore core{options, log};
  HttpServer server{core, options};
  uint16_t port = 0;

  // The stream for `query` up to the first `until` (left out).
  std::string Read(const std::string& query, const std::string& until) const {
    httplib::Client client("127.0.0.1", port);
    std::string text;
    client.Get("/host/v1/events?" + query, [&](const char* data, size_t length) {
      text.append(data, length);
      return text.find(until) == std::string::npos;
    });
    return text.substr(0, text.find(until));
  }
};

TEST_F(HostEventStream, ReplaysWhatThePluginPublishedInOrderAndFiltersByName) {
  Publish(core, "OnJsonApiEvent_a_v1_b", "/a/v1/b", "Create");
  Publish(core, "OnJsonApiEvent", "/a/v1/b", "Create");
  Publish(core, "OnJsonApiEvent_a_v1_b", "/a/v1/b", "Update");

  // Event 2 goes by the general name only and is left out.
  EXPECT_EQ(Read("since=0&name=OnJsonApiEvent_", "\"Update"),
            "id: 1\nevent: OnJsonApiEvent_a_v1_b\n"
            R"(data: {"name":"OnJsonApiEvent_a_v1_b","uri":"/a/v1/b","eventType":"Create","data":{"n":7}})"
            "\n\nid: 3\nevent: OnJsonApiEvent_a_v1_b\n"
            R"(data: {"name":"OnJsonApiEvent_a_v1_b","uri":"/a/v1/b","eventType":)");
}

TEST_F(HostEventStream, AReaderBehindTheBoundIsToldWhichIdsItLost) {
  // More than the hub keeps by count: the oldest go.
  const uint64_t first = core.Hub().LastSequence() + 1;
  for (int i = 0; i < 20003; ++i) core.Hub().Add("OnJsonApiEvent_a", R"({"n":1})");
  const uint64_t lost_through = first + 2;

  EXPECT_EQ(Read("since=0&name=Nothing", "\n\n"), "id: " + std::to_string(lost_through) +
                                                      "\nevent: host-events-dropped\ndata: "
                                                      R"({"name":"host-events-dropped","after":0,"through":)" +
                                                      std::to_string(lost_through) + "}");
}

TEST(HostValueJson, EncodedJsonIsWrittenBackAsTheSameText) {
  const std::string text =
      R"({"a":[1,-2,0,1.5,"x\n\"y",true,false,null,{}],"b":{"c":[]},"big":18446744073709551615,"low":-9223372036854775808})";
  const Result<Json> parsed = ParseJson(text);
  ASSERT_TRUE(parsed.Ok());
  EncodedHostValue encoded(parsed.Value());
  EXPECT_EQ(HostValueToJson(encoded.Get()), text);
}

// Texts start in the room of the thread's last one; a short text the host
// keeps (a posted notification) must not keep a long one's megabytes.
TEST(HostValueJson, AShortTextAfterALongOneKeepsOnlyItsOwnRoom) {
  const Result<Json> long_list = ParseJson("[\"" + std::string(1 << 20, 'x') + "\"]");
  const Result<Json> short_map = ParseJson(R"({"a":1})");
  ASSERT_TRUE(long_list.Ok() && short_map.Ok());
  EXPECT_GT(HostValueToJson(EncodedHostValue(long_list.Value()).Get()).size(), 1u << 20);
  EXPECT_LT(HostValueToJson(EncodedHostValue(short_map.Value()).Get()).capacity(), 8192u);
  EXPECT_GT(WrittenJson([](JsonWriter& out) { out.String(std::string(1 << 20, 'x').c_str()); }).size(), 1u << 20);
  EXPECT_LT(WrittenJson([](JsonWriter& out) { out.Null(); }).capacity(), 8192u);
}

// The host's writer against RapidJSON's Writer: a blob of every byte, and
// doubles whose shortest texts take each of the writer's forms.
TEST(HostValueJson, WritesEveryByteAndNumberAsRapidJsonDoes) {
  std::string bytes;
  for (int c = 0; c < 256; ++c) bytes.push_back(static_cast<char>(c));
  const double doubles[] = {0.0, -0.0, 1.0, -2.5, 0.1, 1e21, 1e-7, 123456789.125, 5e-324, 1.7976931348623157e308};
  std::vector<HostValue> values(1 + std::size(doubles));
  values[0].kind = kHostValueBorrowedBlob;
  values[0].payload.reference = HostValueReference{bytes.data(), static_cast<uint32_t>(bytes.size())};
  rapidjson::StringBuffer expected;
  rapidjson::Writer<rapidjson::StringBuffer> writer(expected);
  writer.StartArray();
  writer.String(bytes.data(), static_cast<rapidjson::SizeType>(bytes.size()));
  for (std::size_t i = 0; i < std::size(doubles); ++i) {
    values[i + 1].kind = kHostValueFloat;
    values[i + 1].payload.float_value = doubles[i];
    writer.Double(doubles[i]);
  }
  writer.EndArray();
  const HostValue list{kHostValueArray,
                       {.reference = HostValueReference{values.data(), static_cast<uint32_t>(values.size())}}};
  EXPECT_EQ(HostValueToJson(list), expected.GetString());
}

// Texts and keys read in blocks from every offset, of every length the
// writer copies in place and beyond, with one byte of each value in them;
// a text ends at a NUL before its count, or at its count before other bytes.
TEST(HostValueJson, WritesTextsAtEveryOffsetAndLengthAsRapidJsonDoes) {
  alignas(64) char pool[128];
  for (std::size_t at = 0; at < 2 * 32 * 72; ++at) {
    const bool counted = at >= 32 * 72;
    std::string text(at % 72, 'k');
    if (!text.empty()) text[at % text.size()] = static_cast<char>(1 + at % 255);
    const std::string stored = counted ? text + "zz" : text;
    char* const at_offset = pool + at / 72 % 32;
    std::memcpy(at_offset, stored.c_str(), stored.size() + 1);
    HostValueMapEntry keyed{at_offset, {}, 0};
    keyed.value.kind = kHostValueBorrowedString;
    keyed.value.payload.reference =
        HostValueReference{at_offset, static_cast<uint32_t>(text.size() + (counted ? 0 : 3))};
    const HostValue map{kHostValueMap, {.reference = HostValueReference{&keyed, 1}}};
    rapidjson::StringBuffer expected;
    rapidjson::Writer<rapidjson::StringBuffer> writer(expected);
    writer.StartObject(), writer.Key(stored.c_str()), writer.String(text.c_str()), writer.EndObject();
    ASSERT_EQ(HostValueToJson(map), expected.GetString()) << at;
  }
}

// A walk remembers the keys it wrote by address, as a plug-in shares one
// copy of a field's name among all its members: keys shared by many maps,
// more keys than it remembers (so that they push each other out), a key
// too long to remember, one to escape, a null key, and a key whose bytes
// change between two walks at the same address.
TEST(HostValueJson, WritesSharedAndCollidingKeysAsRapidJsonDoes) {
  std::vector<std::string> names;
  names.push_back(std::string(40, 'L'));
  names.push_back("quote\"d");
  // The longest key a slot keeps after its comma, and one byte more.
  names.push_back(std::string(28, 'k'));
  names.push_back(std::string(29, 'K'));
  for (int i = 0; i < 700; ++i) names.push_back("field" + std::to_string(i));
  std::vector<HostValueMapEntry> entries;
  const auto add = [&](const char* key, uint64_t number) {
    entries.push_back(HostValueMapEntry{key, {kHostValueUnsigned, {.unsigned_value = number}}, 0});
  };
  for (std::size_t round = 0; round < 3; ++round) {
    for (std::size_t i : {0, 0, 1, 1, 2, 3, 2, 3}) add(names[i].c_str(), i);
    for (std::size_t i = 4; i < names.size(); i += 1 + round) add(names[i].c_str(), i);
  }
  add(nullptr, 0);
  // Maps of one to three members, so that every key is written among
  // other maps' and both first and after a comma.
  std::vector<HostValue> maps;
  std::vector<std::size_t> firsts;
  for (std::size_t i = 0; i < entries.size();) {
    const std::size_t size = std::min(1 + maps.size() % 3, entries.size() - i);
    HostValue& map = maps.emplace_back();
    map.kind = kHostValueMap;
    map.payload.reference = HostValueReference{&entries[i], static_cast<uint32_t>(size)};
    firsts.push_back(i);
    i += size;
  }
  const HostValue list{kHostValueArray,
                       {.reference = HostValueReference{maps.data(), static_cast<uint32_t>(maps.size())}}};
  const auto expected = [&] {
    rapidjson::StringBuffer text;
    rapidjson::Writer<rapidjson::StringBuffer> writer(text);
    writer.StartArray();
    for (std::size_t m = 0; m < maps.size(); ++m) {
      writer.StartObject();
      for (std::size_t i = firsts[m]; i < firsts[m] + maps[m].payload.reference.count; ++i) {
        writer.Key(entries[i].key != nullptr ? entries[i].key : "");
        writer.Uint64(entries[i].value.payload.unsigned_value);
      }
      writer.EndObject();
    }
    writer.EndArray();
    return std::string(text.GetString());
  };
  EXPECT_EQ(HostValueToJson(list), expected());
  names[2][0] = 'F';
  EXPECT_EQ(HostValueToJson(list), expected());
}

TEST(HostValueJson, WritesBrokenAndDeepValuesWithoutCrashingOrRecursing) {
  // Arrays nested far deeper than any call stack would take.
  std::vector<HostValue> chain(200000);
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
    chain[i].kind = kHostValueArray;
    chain[i].payload.reference = HostValueReference{&chain[i + 1], 1};
  }
  const std::string deep = HostValueToJson(chain[0]);
  EXPECT_EQ(deep.size(), 2 * (chain.size() - 1) + 4);

  HostValue odd[4]{};
  odd[0].kind = 77;  // no such kind
  odd[1].kind = kHostValueFloat;
  odd[1].payload.float_value = std::nan("");
  odd[2].kind = kHostValueMap;  // a count without entries
  odd[2].payload.reference = HostValueReference{nullptr, 5};
  odd[3].kind = kHostValueOwnedString;  // text longer than its count says
  odd[3].payload.reference = HostValueReference{"abcdef", 3};
  const HostValue list{kHostValueArray, {.reference = HostValueReference{odd, 4}}};
  EXPECT_EQ(HostValueToJson(list), R"([null,null,{},"abc"])");
}

TEST(CoreEventNames, AreFormedFromTheLeadingSegmentsAndTheClassName) {
  EXPECT_EQ(ResourceEventName("/kel-login/v1/session"), "OnJsonApiEvent_kel-login_v1_session");
  EXPECT_EQ(ResourceEventName("//kel-summoner/v1/current-summoner/x"),
            "OnJsonApiEvent_kel-summoner_v1_current-summoner");
  EXPECT_EQ(ResourceEventName("/kel-platform-config/v1/namespaces/Store/Enabled/x"),
            "OnJsonApiEvent_kel-platform-config_v1_namespaces_Store_Enabled");
  EXPECT_EQ(RemoteMessageEventName("com.a.RentalUpdate"), "OnDrovEvent_com_a_RentalUpdate");
}

}  // namespace
}  // namespace kel::host
