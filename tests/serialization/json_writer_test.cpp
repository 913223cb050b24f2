#include "serialization/json_writer.h"

#include <gtest/gtest.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <limits>
#include <string>

#include "binding/binding_registry.h"
#include "serialization/json_reader.h"

namespace kel {
namespace {

BindingValue Parsed(const char* text) {
  BindingResult result = ParseJson(text);
  EXPECT_TRUE(result.Ok()) << result.Message();
  return std::move(result.Value());
}

// The other scalars, the empty root (nothing) and nested empty values
// (null) are written in the MessagePack and YAML tests, which show what they
// read as JSON.
TEST(JsonWriter, DoublesRoundTripInShortestForm) {
  BindingValue forms;
  forms.Index(0).SetDouble(0.1);
  forms.Index(1).SetDouble(1e21);
  EXPECT_EQ(WriteJson(forms), "[0.1,1e21]");
  for (double d : {0.1, 1.0 / 3, 5e-324, 1.7976931348623157e308, -2.5, 123456789.0}) {
    BindingValue v;
    v.Index(0).SetDouble(d);
    const BindingValue back = Parsed(WriteJson(v).c_str());
    EXPECT_EQ(back.Get(0).GetDouble(), d) << WriteJson(v);
  }
}

TEST(JsonWriter, NonFiniteDoublesWriteNullSoTheTextStaysValid) {
  BindingValue v;
  v.Index(0).SetDouble(std::numeric_limits<double>::quiet_NaN());
  v.Index(1).SetDouble(-std::numeric_limits<double>::infinity());
  v.Index(2).SetSigned(1);
  EXPECT_EQ(WriteJson(v), "[null,null,1]");
}

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters) {
  BindingValue v;
  v.Member("k\"\n").SetString(std::string_view("a\\b\x01\x1f\t\xC3\xA9/\x7f", 10));
  EXPECT_EQ(WriteJson(v), "{\"k\\\"\\n\":\"a\\\\b\\u0001\\u001F\\t\xC3\xA9/\x7f\"}");
  // Every byte at every place of a word, escaped as the library escapes it.
  std::string text;
  for (int c = 1; c < 256; ++c) text += std::string(c % 9, 'x') + static_cast<char>(c) + "0123456789";
  rapidjson::StringBuffer expected;
  rapidjson::Writer<rapidjson::StringBuffer> library(expected);
  library.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  v.Clear();
  v.SetString(text);
  EXPECT_EQ(WriteJson(v), expected.GetString());
}

TEST(JsonWriter, PrettyOutputIndentsByFourAndUsesTheCallersLineBreak) {
  const BindingValue v = Parsed(R"({"b":[1,{}],"a":"x\ny"})");
  EXPECT_EQ(WriteJson(v, "\r\n"),
            "{\r\n    \"a\": \"x\\ny\",\r\n    \"b\": [\r\n        1,\r\n        {}\r\n    ]\r\n}");
  EXPECT_EQ(WriteJson(v, ""), R"({"a":"x\ny","b":[1,{}]})");
}

TEST(JsonWriter, WritesTreesOfAnyDepth) {
  constexpr size_t kDepth = 100000;
  BindingValue root;
  BindingValue* innermost = &root;
  for (size_t i = 0; i < kDepth; ++i) innermost = &innermost->Member("k");
  innermost->SetSigned(1);
  const std::string text = WriteJson(root);
  EXPECT_EQ(text.size(), kDepth * 6 + 1);
  EXPECT_EQ(text.substr(kDepth * 5 - 5, 8), "{\"k\":1}}");
}

enum class JobState : int32_t { kInProgress = 0, kSucceeded = 1 };

TEST(JsonWriter, EnumsByNameOnlyWithARegistryThatNamesTheValue) {
  BindingRegistry registry;
  registry.RegisterType<JobState>("JobState").AddEnumerator("IN_PROGRESS", 0).AddEnumerator("SUCCEEDED", 1);
  BindingValue v;
  v.Index(0).SetEnum(1, &StaticTypeOf<JobState>());
  v.Index(1).SetEnum(7, &StaticTypeOf<JobState>());
  v.Index(2).SetEnum(0, nullptr);
  EXPECT_EQ(WriteJson(v, registry), R"(["SUCCEEDED",7,0])");
  EXPECT_EQ(WriteJson(v), "[1,7,0]");
  EXPECT_EQ(WriteJson(v, registry, "\n"), "[\n    \"SUCCEEDED\",\n    7,\n    0\n]");
}

}  // namespace
}  // namespace kel
