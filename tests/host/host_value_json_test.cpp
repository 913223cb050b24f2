// The host's own HostValue reading and writing, on values no well-behaved
// plug-in builds, and its own event names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/core_event_names.h"
#include "host/host_value_json.h"

namespace kel::host {
namespace {

TEST(HostValueJson, EncodedJsonIsWrittenBackAsTheSameText) {
  const std::string text =
      R"({"a":[1,-2,0,1.5,"x\n\"y",true,false,null,{}],"b":{"c":[]},"big":18446744073709551615,"low":-9223372036854775808})";
  const Result<Json> parsed = ParseJson(text);
  ASSERT_TRUE(parsed.Ok());
  EncodedHostValue encoded(parsed.Value());
  EXPECT_EQ(HostValueToJson(encoded.Get()), text);
  EXPECT_EQ(encoded.Get().payload.reference.count, 4u);
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
