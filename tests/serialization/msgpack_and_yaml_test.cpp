// MessagePack and YAML read into binding values, each shown as compact JSON.
#include "serialization/msgpack_reader.h"
#include "serialization/yaml_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "serialization/json_writer.h"
#include "support/binding_values.h"

namespace kel {
namespace {

using Bytes = std::vector<unsigned char>;

BindingResult Decode(const Bytes& bytes, size_t* consumed = nullptr) {
  return DecodeMsgPack(bytes.data(), bytes.size(), consumed);
}

// The failure after the words every MessagePack failure starts with.
std::string ErrorOf(const Bytes& bytes) {
  const std::string message = testing::FailureOf(Decode(bytes));
  return message.starts_with("Invalid MessagePack data") ? message.substr(24) : "<unprefixed> " + message;
}
std::string JsonOf(const Bytes& bytes) { return testing::JsonOf(Decode(bytes)); }

TEST(MsgPackReader, ScalarsByFirstByte) {
  const std::tuple<Bytes, BindingValueKind, std::string> cases[] = {
      {{0x05}, BindingValueKind::kSigned, "5"},
      {{0x7F}, BindingValueKind::kSigned, "127"},
      {{0xFF}, BindingValueKind::kSigned, "-1"},
      {{0xE0}, BindingValueKind::kSigned, "-32"},
      {{0xCC, 0x05}, BindingValueKind::kUnsigned, "5"},
      {{0xCD, 0x01, 0x02}, BindingValueKind::kUnsigned, "258"},
      {{0xCE, 0xFF, 0xFF, 0xFF, 0xFF}, BindingValueKind::kUnsigned, "4294967295"},
      {{0xCF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, BindingValueKind::kUnsigned, "18446744073709551615"},
      {{0xD0, 0x80}, BindingValueKind::kSigned, "-128"},
      {{0xD1, 0xFF, 0x00}, BindingValueKind::kSigned, "-256"},
      {{0xD2, 0x80, 0, 0, 0}, BindingValueKind::kSigned, "-2147483648"},
      {{0xD3, 0x80, 0, 0, 0, 0, 0, 0, 0}, BindingValueKind::kSigned, "-9223372036854775808"},
      {{0xCA, 0x3F, 0xC0, 0, 0}, BindingValueKind::kFloat, "1.5"},
      {{0xCB, 0x40, 0x04, 0, 0, 0, 0, 0, 0}, BindingValueKind::kFloat, "2.5"},
      {{0xC2}, BindingValueKind::kBool, "false"},
      {{0xC3}, BindingValueKind::kBool, "true"},
      {{0xA2, 'h', 'i'}, BindingValueKind::kString, "\"hi\""},
      {{0xD9, 0x01, 'x'}, BindingValueKind::kString, "\"x\""},
      {{0xDA, 0x00, 0x01, 'x'}, BindingValueKind::kString, "\"x\""},
      {{0xDB, 0, 0, 0, 0x01, 'x'}, BindingValueKind::kString, "\"x\""},
      {{0xC4, 0x03, 'a', 'b', 'c'}, BindingValueKind::kBlob, "\"YWJj\""},
      {{0xC5, 0x00, 0x01, 'a'}, BindingValueKind::kBlob, "\"YQ==\""},
      {{0xC6, 0, 0, 0, 0x00}, BindingValueKind::kBlob, "\"\""},
  };
  for (const auto& [bytes, kind, json] : cases) {
    EXPECT_EQ(JsonOf(bytes), json);
    EXPECT_EQ(Decode(bytes).Value().Kind(), kind) << json;
  }
  EXPECT_TRUE(Decode({0xC0}).Value().IsEmpty());
  EXPECT_EQ(JsonOf(Bytes{}), "");  // nothing to read is an empty value
}

TEST(MsgPackReader, ContainersRepeatedKeysAndTheEndOfTheFirstRootValue) {
  EXPECT_EQ(JsonOf({0x91, 0xC0}), "[null]");
  EXPECT_EQ(JsonOf({0xDC, 0x00, 0x02, 0x01, 0x92, 0x02, 0x80}), "[1,[2,{}]]");
  EXPECT_EQ(JsonOf({0xDE, 0x00, 0x02, 0xA1, 'b', 0x90, 0xDA, 0x00, 0x01, 'a', 0xC3}), R"({"a":true,"b":[]})");
  EXPECT_EQ(JsonOf({0xDD, 0, 0, 0, 1, 0xDF, 0, 0, 0, 1, 0xD9, 0x01, 'k', 0x07}), R"([{"k":7}])");
  // {"a": [1,2,3], "a": [9]}: the later array overwrites from index 0 on.
  EXPECT_EQ(JsonOf({0x82, 0xA1, 'a', 0x93, 1, 2, 3, 0xA1, 'a', 0x91, 9}), R"({"a":[9,2,3]})");
  // {"m": {"x":1,"y":2}, "m": {"y":5,"z":6}}: maps merge.
  EXPECT_EQ(JsonOf({0x82, 0xA1, 'm', 0x82, 0xA1, 'x', 1, 0xA1, 'y', 2, 0xA1, 'm', 0x82, 0xA1, 'y', 5, 0xA1, 'z', 6}),
            R"({"m":{"x":1,"y":5,"z":6}})");
  // A later scalar, nil included, replaces.
  EXPECT_EQ(JsonOf({0x82, 0xA1, 's', 0x91, 1, 0xA1, 's', 0xC3}), R"({"s":true})");
  EXPECT_EQ(JsonOf({0x82, 0xA1, 's', 0x91, 1, 0xA1, 's', 0xC0}), R"({"s":null})");
  // Reading stops after the first root value.
  size_t consumed = 0;
  EXPECT_EQ(Decode({0x01, 0x02}, &consumed).Value().GetSigned(), 1);
  EXPECT_EQ(consumed, 1u);
  EXPECT_TRUE(Decode({0x91, 0x01, 0x02}, &consumed).Ok());
  EXPECT_EQ(consumed, 2u);
  EXPECT_TRUE(Decode({0x81, 0xA1, 'a', 0xCD, 0x01, 0x00, 0xFF}, &consumed).Ok());
  EXPECT_EQ(consumed, 6u);
}

// Keys are texts: each is cut at its first NUL, wherever in the key it sits.
TEST(MsgPackReader, KeysEndAtTheirFirstNul) {
  for (size_t length : {1u, 7u, 8u, 9u, 16u, 23u}) {
    for (size_t nul = 0; nul <= length; ++nul) {
      std::string key(length, 'k');
      if (nul < length) key[nul] = '\0';
      const std::string bytes = std::string("\x81\xD9") + static_cast<char>(length) + key + '\x01';
      EXPECT_EQ(DecodeMsgPack(bytes.data(), bytes.size()).Value().Find(std::string(nul, 'k')).GetSigned(), 1)
          << length << " " << nul;
    }
  }
}

TEST(MsgPackReader, InvalidFirstBytes) {
  EXPECT_EQ(ErrorOf({0xC1}), " at position 1.");
  EXPECT_EQ(ErrorOf({0xD4, 0x00, 0x00}), " at position 1.");
  for (unsigned char b : {0xC7, 0xC8, 0xC9, 0xD5, 0xD6, 0xD7, 0xD8}) {
    EXPECT_EQ(ErrorOf({0x91, b, 0, 0, 0, 0, 0, 0}), " at position 2.") << int(b);
  }
  EXPECT_EQ(ErrorOf({0x81, 0x01, 0x02}), " at position 2. Map keys must be strings.");
  EXPECT_EQ(ErrorOf({0x82, 0xA1, 'a', 1, 0xC4, 0x01, 'b', 2}), " at position 5. Map keys must be strings.");
}

// Every fixed-width field, cut at each possible length.
TEST(MsgPackReader, TruncatedFieldsNameTheirWidthAndPosition) {
  const std::pair<unsigned char, unsigned> fields[] = {
      {0xCC, 1}, {0xCD, 2}, {0xCE, 4}, {0xCF, 8}, {0xD0, 1}, {0xD1, 2}, {0xD2, 4}, {0xD3, 8}, {0xCA, 4}, {0xCB, 8},
      {0xC4, 1}, {0xC5, 2}, {0xC6, 4}, {0xD9, 1}, {0xDA, 2}, {0xDB, 4}, {0xDC, 2}, {0xDD, 4}, {0xDE, 2}, {0xDF, 4}};
  for (const auto& [first, width] : fields) {
    for (unsigned present = 0; present < width; ++present) {
      Bytes bytes = {0x91, first};
      bytes.resize(2 + present, 0x00);
      EXPECT_EQ(ErrorOf(bytes), ". " + std::to_string(width * 8) + "-bit integer value at position 2 is truncated.")
          << int(first) << " with " << present;
    }
  }
}

TEST(MsgPackReader, TruncatedPayloadsAndContainersAreRefused) {
  EXPECT_EQ(ErrorOf({0xD9, 0x05, 'a'}), ". String of size 5 at position 2 is truncated.");
  EXPECT_EQ(ErrorOf({0xA3, 'a'}), ". String of size 3 at position 1 is truncated.");
  EXPECT_EQ(ErrorOf({0xDB, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), ". String of size 4294967295 at position 5 is truncated.");
  EXPECT_EQ(ErrorOf({0xC5, 0x01, 0x00, 'a'}), ". Raw bytes of size 256 at position 3 are truncated.");
  EXPECT_EQ(ErrorOf({0x81, 0xA4, 'k'}), ". String of size 4 at position 2 is truncated.");
  EXPECT_EQ(ErrorOf({0x81, 0xDA, 0x00}), ". 16-bit integer value at position 2 is truncated.");
  // Data that ends inside an array or map is refused like any other
  // truncation, naming the innermost open container.
  EXPECT_EQ(ErrorOf({0x92, 0x01}), ". Array of 2 elements at position 0 is truncated.");
  EXPECT_EQ(ErrorOf({0x91, 0x82, 0xA1, 'a', 0x01}), ". Map of 2 entries at position 1 is truncated.");
  EXPECT_EQ(ErrorOf({0x81, 0xA1, 'a'}), ". Map of 1 entries at position 0 is truncated.");
  EXPECT_EQ(ErrorOf({0xDD, 0x0F, 0xFF, 0xFF, 0xFF}), ". Array of 268435455 elements at position 0 is truncated.");
  EXPECT_EQ(ErrorOf({0xDF, 0xFF, 0xFF, 0xFF, 0xFF}), ". Map of 4294967295 entries at position 0 is truncated.");
  // A count that no collection can hold is refused from the header alone.
  EXPECT_EQ(ErrorOf({0xDD, 0x10, 0x00, 0x00, 0x00}),
            " at position 5. An array is longer than the limit of 268435455 elements.");
}

TEST(MsgPackReader, NestingIsBoundedAt512Levels) {
  Bytes deepest(512, 0x91);
  deepest.push_back(0x01);
  EXPECT_TRUE(Decode(deepest).Ok());

  Bytes hostile(1000000, 0x91);
  EXPECT_EQ(ErrorOf(hostile), " at position 513. Nesting is deeper than the limit of 512 levels.");
}

TEST(MsgPackReader, SniffsMapAndArrayHeadersOnly) {
  const unsigned char yes[] = {0x80, 0x8F, 0x90, 0x9F, 0xDC, 0xDD, 0xDE, 0xDF};
  for (unsigned char b : yes) EXPECT_TRUE(LooksLikeMsgPack(&b, 1)) << int(b);
  const unsigned char no[] = {0x00, 0x7F, 0xA0, 0xC0, 0xDB, 0xE0, '{', '['};
  for (unsigned char b : no) EXPECT_FALSE(LooksLikeMsgPack(&b, 1)) << int(b);
  EXPECT_FALSE(LooksLikeMsgPack(yes, 0));
}

BindingResult Parse(std::string_view text) { return ParseYaml(text.data(), text.size()); }

std::string JsonOf(std::string_view text) { return testing::JsonOf(Parse(text)); }
std::string ErrorOf(std::string_view text) { return testing::FailureOf(Parse(text)); }

std::string KindsOf(std::string_view text) { return testing::KindsOf(Parse(text).Value()); }

TEST(YamlReader, PlainScalarsResolveByTheirText) {
  EXPECT_EQ(JsonOf("[5, -5, 1.5, 1e3, 0x1A, inf, nan, 1e400, 12abc]"),
            R"([5,-5,1.5,1000,26,"inf","nan","1e400","12abc"])");
  EXPECT_EQ(JsonOf("[yes, Yes, YES, on, y, no, OFF, n, yEs, True, FALSE]"),
            R"([true,true,true,true,true,false,false,false,"yEs",true,false])");
  EXPECT_EQ(JsonOf("[1, ~, null, Null, NULL, nULL, '']"), R"([1,null,null,null,null,"nULL",""])");
  EXPECT_EQ(JsonOf("a:"), R"({"a":null})");
  EXPECT_EQ(JsonOf("a: \"yes\"\nb: |\n  12\n"), R"({"a":"yes","b":"12\n"})");
  // Block scalars are not quoted: a text strtod reads whole, leading white
  // space included, is a number.
  EXPECT_EQ(JsonOf("a: |1-\n   5\nb: |-\n\n  7\nc: |1-\n  -3\nd: >-\n  4.5\ne: |1-\n   inf\n"),
            R"({"a":5,"b":7,"c":-3,"d":4.5,"e":"  inf"})");
  // Short digit runs are read without strtod, longer ones with it: both must
  // give what strtod gives (rounding from 17 digits on, -0 as unsigned 0).
  EXPECT_EQ(JsonOf("[-0, 007, +5, -, 999999999999999, -999999999999999, 12345678901234567, Infinity]"),
            R"([0,7,5,"-",999999999999999,-999999999999999,12345678901234568,"Infinity"])");
  // The kinds: -0 is unsigned, whole numbers beyond the 64-bit range are
  // floats instead of overflowing (18446744073709551615 rounds to 2^64), and
  // block scalars are numbers.
  EXPECT_EQ(KindsOf("[1, -1, 1.0, 1.5, '1', -0, 18446744073709551615, 1e20, -1e19, -9223372036854775808]"),
            "unsigned signed unsigned float string unsigned float float float signed ");
  EXPECT_EQ(KindsOf("- |1-\n   5\n- |1-\n  -3\n"), "unsigned signed ");
}

TEST(YamlReader, TaggedScalarsAndAliases) {
  EXPECT_EQ(JsonOf("[!!int 12, !!int -12, !!int 0x10, !!float 2, !!str 7, !!bool on, !!bool maybe]"),
            R"([12,-12,16,2.0,"7",true,null])");
  EXPECT_EQ(ErrorOf("!!int abc"), "Value abc for 'yaml' of type uint64_t is in an incorrect format");
  EXPECT_EQ(ErrorOf("!!int -99999999999999999999"),
            "Value -99999999999999999999 for 'yaml' of type int64_t is out of range");
  EXPECT_EQ(ErrorOf("!!float x1"), "Value x1 for 'yaml' of type double is in an incorrect format");
  EXPECT_EQ(ErrorOf("!!float 1e400"), "Value 1e400 for 'yaml' of type double is out of range");
  EXPECT_EQ(ErrorOf("!!int \"5\\0\""),
            std::string("Value 5\0 for 'yaml' of type uint64_t is in an incorrect format", 62));
  EXPECT_EQ(ErrorOf("a: !custom 1"), "Unsupported YAML tag '!custom'.");
  // Aliases copy the anchored value and name their failures.
  EXPECT_EQ(JsonOf("a: &x 1\nb: *x"), R"({"a":1,"b":1})");
  EXPECT_EQ(JsonOf("a: &m {k: [1, 2]}\nb: *m\nc: [*m, *m]"),
            R"({"a":{"k":[1,2]},"b":{"k":[1,2]},"c":[{"k":[1,2]},{"k":[1,2]}]})");
  // A repeated key replaces its value whole; the alias keeps the copy taken
  // when the anchored container ended.
  EXPECT_EQ(JsonOf("a: &s {x: 1}\nb: *s\na: {y: 2}\nc: [1]\nc: [2]"), R"({"a":{"y":2},"b":{"x":1},"c":[2]})");
  EXPECT_EQ(ErrorOf("b: *y"), "Undefined alias encountered: \"y\". At line: 1 col: 4");
  EXPECT_EQ(ErrorOf("a: &x [*x]"), "Cannot deserialize cyclic aliases. Alias \"x\". At line: 1 col: 8");
  EXPECT_EQ(ErrorOf("a: &x 1\nb: &x 2"), "Duplicate occurrence of anchor \"x\". At line: 2 col: 4");
  EXPECT_EQ(ErrorOf("a: &x [1]\nb: &x {}"), "Duplicate occurrence of anchor \"x\". At line: 2 col: 4");
}

TEST(YamlReader, KeysMustBeStringScalars) {
  EXPECT_EQ(ErrorOf("? [1]\n: x"), "Unexpected start of sequence. At line: 1 col: 3");
  EXPECT_EQ(ErrorOf("a: 1\n? {b: 2}\n: x"), "Unexpected start of mapping. At line: 2 col: 3");
  EXPECT_EQ(ErrorOf("a: 1\n!!int 5: x"), "Invalid mapping key. Only string scalar keys are allowed. At line: 2 col: 1");
  // An alias in key position would otherwise overwrite the whole mapping.
  EXPECT_EQ(ErrorOf("a: &k x\n*k : y"), "Invalid mapping key. Only string scalar keys are allowed. At line: 2 col: 1");
  EXPECT_EQ(JsonOf("!!str 5: x\n7: z"), R"({"5":"x","7":"z"})");
  // An empty key is a key like any other.
  EXPECT_EQ(JsonOf("'': 1\nb: 2"), R"({"":1,"b":2})");
}

TEST(YamlReader, OneDocumentOnlyAndParserErrorsWithTheirPositions) {
  EXPECT_EQ(ErrorOf("a: 1\n---\nb: 2\n"), "Multi-document YAML is not supported.");
  EXPECT_EQ(JsonOf("---\n~\n---\nb: 2\n"), R"({"b":2})");
  EXPECT_EQ(JsonOf("--- [1]\n...\n"), "[1]");
  EXPECT_EQ(testing::JsonOf(ParseYaml(nullptr, 0)), "");
  for (const char* empty : {"", "# only a comment\n"}) EXPECT_EQ(JsonOf(empty), "");
  // Parser errors keep the library's positions.
  EXPECT_EQ(ErrorOf("a: [1, 2\nb: 3"), "YAML parser error: did not find expected ',' or ']'. At line: 1 col: 1");
  EXPECT_EQ(ErrorOf("a: 1\n  b: 2"),
            "YAML parser error: mapping values are not allowed in this context. At line: 1 col: 3");
  EXPECT_EQ(ErrorOf("a: \"\\q\""), "YAML parser error: found unknown escape character. At line: 0 col: 4");
}

TEST(YamlReader, NestingAndAliasExpansionAreBounded) {
  const std::string deepest = std::string(512, '[') + std::string(512, ']');
  EXPECT_TRUE(Parse(deepest).Ok());
  const std::string hostile(1000000, '[');
  EXPECT_EQ(ErrorOf(hostile), "Nesting is deeper than the limit of 512 levels. At line: 1 col: 513");
  // An alias cannot carry a value past the bound either.
  const std::string anchored = "a: &x " + std::string(300, '[') + std::string(300, ']') +
                               "\nb: " + std::string(300, '[') + "*x" + std::string(300, ']');
  EXPECT_EQ(ErrorOf(anchored), "Nesting is deeper than the limit of 512 levels. At line: 2 col: 304");
  // Nor can aliases of aliases copy without bound.
  std::string text = "a: &a [x, x, x, x, x, x, x, x, x, x]\n";
  for (char name = 'b'; name <= 'h'; ++name) {
    text += std::string(1, name) + ": &" + name + " [";
    for (int j = 0; j < 10; ++j) text += std::string(j ? ", *" : "*") + static_cast<char>(name - 1);
    text += "]\n";
  }
  EXPECT_EQ(ErrorOf(text).rfind("Aliases copy more than 262144 values. Alias \"e\".", 0), 0u) << ErrorOf(text);
}

}  // namespace
}  // namespace kel
