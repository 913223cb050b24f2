// JSON read into binding values and written from them.
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"

#include <gtest/gtest.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "support/binding_values.h"

namespace kel {
namespace {

std::string ErrorOf(const char* text) { return testing::FailureOf(ParseJson(text)); }

TEST(JsonReader, EmptyOrBlankTextIsAnEmptyValue) {
  for (const char* text : {"", "   ", " \r\n\t", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(testing::JsonOf(ParseJson(text)), "");  // an empty root writes nothing
  }
}

TEST(JsonReader, NumbersChooseTheirKind) {
  constexpr const char* kNumbers =
      "[1,-1,1.5,18446744073709551616,18446744073709551615,-9223372036854775808,-0,1e2,4294967296]";
  EXPECT_EQ(testing::KindsOf(ParseJson(kNumbers).Value()),
            "unsigned signed float float unsigned signed signed float unsigned ");
  EXPECT_EQ(testing::JsonOf(ParseJson(kNumbers)),
            "[1,-1,1.5,18446744073709553000.0,18446744073709551615,-9223372036854775808,0,100.0,4294967296]");
}

// Each reads as the nearest double (what strtod gives), so what the writer
// wrote reads back equal: long mantissas, far exponents, a digit run after a
// leading zero, the smallest subnormal and a magnitude below it.
TEST(JsonReader, FractionalNumbersAreCorrectlyRounded) {
  const std::string texts[] = {"1850294412.3902775",
                               "1.921348183776044e-223",
                               "-6.255596396381198e-142",
                               "1.7161392603081718e277",
                               "0." + std::string(320, '0') + "1",
                               "5e-324",
                               "1e-400"};
  for (const std::string& text : texts) {
    const BindingResult result = ParseJson(("[" + text + "]").c_str());
    ASSERT_TRUE(result.Ok()) << text;
    EXPECT_EQ(result.Value().Get(0).GetDouble(), std::strtod(text.c_str(), nullptr)) << text;
  }
}

TEST(JsonReader, ObjectsKeepKeyOrderAndTheLastOfRepeatedKeysAndTextsEndAtAnEscapedNul) {
  EXPECT_EQ(testing::JsonOf(ParseJson(R"({"b":1,"a":2,"B":[null],"a":{"x":true}})")),
            R"({"B":[null],"a":{"x":true},"b":1})");
  // The last value wins whole: arrays and objects under a repeated key do
  // not merge.
  EXPECT_EQ(WriteJson(ParseJson(R"({"a":[1,2],"o":{"x":1},"a":[3],"o":{"y":2}})").Value()), R"({"a":[3],"o":{"y":2}})");
  // Keys and strings end at an escaped NUL.
  const BindingValue nul = ParseJson(R"({"k\u0000ey":"ab\u0000cd","e":"\u00e9\n"})").Value();
  EXPECT_EQ(nul.Find("k").GetString(), "ab");
  EXPECT_EQ(nul.Find("e").GetString(), "\xC3\xA9\n");
  // An escaped backslash is no NUL, and the escape after it still is one.
  EXPECT_EQ(ParseJson(R"(["\\u0000"])").Value().Get(0).GetString(), "\\u0000");
  EXPECT_EQ(ParseJson(R"(["\\\u0000x"])").Value().Get(0).GetString(), "\\");
}

TEST(JsonReader, FailuresNameTheReasonAndOffsetAndKeepNothingElse) {
  EXPECT_EQ(ErrorOf("{\"a\":1} x"), "Error: The document root must not be followed by other values. at offset 8.");
  EXPECT_EQ(ErrorOf("[1,]"), "Error: Invalid value. at offset 3.");
  EXPECT_EQ(ErrorOf("{\"a\" 1}"), "Error: Missing a colon after a name of object member. at offset 5.");
  EXPECT_EQ(ErrorOf("[\"abc"), "Error: Missing a closing quotation mark in string. at offset 5.");
  EXPECT_EQ(ErrorOf("[1e400]"), "Error: Number too big to be stored in double. at offset 1.");
  EXPECT_EQ(ErrorOf("{1:2}"), "Error: Missing a name for object member. at offset 1.");
  EXPECT_EQ(ErrorOf("  nul"), "Error: Invalid value. at offset 5.");
  // A failure keeps nothing of the partial tree.
  const BindingResult result = ParseJson(R"({"a":[1,2,{"b":3}],"c":})");
  ASSERT_FALSE(result.Ok());
  EXPECT_EQ(result.Value().Size(), 1u);  // only the error member
}

TEST(JsonReader, NestingIsBoundedAt512Levels) {
  const std::string deepest = std::string(512, '[') + std::string(512, ']');
  EXPECT_TRUE(ParseJson(deepest.c_str()).Ok());
  // The 513th level fails, however much follows it.
  const std::string hostile = std::string(1000000, '[');
  EXPECT_EQ(ErrorOf(hostile.c_str()), "Error: Nesting is deeper than the limit of 512 levels. at offset 512.");
  std::string objects;
  for (int i = 0; i < 600; ++i) objects += "{\"a\":";
  EXPECT_EQ(ErrorOf(objects.c_str()), "Error: Nesting is deeper than the limit of 512 levels. at offset 2560.");
}

// The other scalars, the empty root (nothing) and nested empty values
// (null) are written in the MessagePack and YAML tests, which show what they
// read as JSON.
TEST(JsonWriter, DoublesRoundTripInShortestFormAndNonFiniteOnesWriteNull) {
  for (double d : {0.1, 1.0 / 3, 5e-324, 1.7976931348623157e308, -2.5, 123456789.0}) {
    const std::string text = WriteJson(testing::FloatValue(d));
    EXPECT_EQ(ParseJson(text.c_str()).Value().GetDouble(), d) << text;
  }
  BindingValue v;
  for (double d : {0.1, 1e21, std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
    v.Append().SetDouble(d);
  }
  v.Append().SetSigned(1);
  EXPECT_EQ(WriteJson(v), "[0.1,1e21,null,null,1]");
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
  const BindingValue v = ParseJson(R"({"b":[1,{}],"a":"x\ny"})").Value();
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

}  // namespace
}  // namespace kel
