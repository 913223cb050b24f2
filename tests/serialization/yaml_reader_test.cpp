#include "serialization/yaml_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "serialization/json_writer.h"
#include "support/binding_values.h"

namespace kel {
namespace {

BindingResult Parse(std::string_view text) { return ParseYaml(text.data(), text.size()); }

std::string JsonOf(std::string_view text) { return testing::JsonOf(Parse(text)); }
std::string ErrorOf(std::string_view text) { return testing::FailureOf(Parse(text)); }

BindingValueKind KindOf(std::string_view text) { return Parse(text).Value().Find("a").Kind(); }

TEST(YamlReader, PlainScalarsResolveByTheirText) {
  EXPECT_EQ(JsonOf("a: 1"), R"({"a":1})");
  EXPECT_EQ(KindOf("a: 1"), BindingValueKind::kUnsigned);
  EXPECT_EQ(KindOf("a: -1"), BindingValueKind::kSigned);
  EXPECT_EQ(KindOf("a: 1.0"), BindingValueKind::kUnsigned);
  EXPECT_EQ(KindOf("a: 1.5"), BindingValueKind::kFloat);
  EXPECT_EQ(JsonOf("[5, -5, 1.5, 1e3, 0x1A, inf, nan, 1e400, 12abc]"),
            R"([5,-5,1.5,1000,26,"inf","nan","1e400","12abc"])");
  EXPECT_EQ(JsonOf("[yes, Yes, YES, on, y, no, OFF, n, yEs, True, FALSE]"),
            R"([true,true,true,true,true,false,false,false,"yEs",true,false])");
  EXPECT_EQ(JsonOf("[1, ~, null, Null, NULL, nULL, '']"), R"([1,null,null,null,null,"nULL",""])");
  EXPECT_EQ(JsonOf("a:"), R"({"a":null})");
  EXPECT_EQ(KindOf("a: '1'"), BindingValueKind::kString);
  EXPECT_EQ(JsonOf("a: \"yes\"\nb: |\n  12\n"), R"({"a":"yes","b":"12\n"})");
  // Block scalars are not quoted: a text strtod reads whole, leading white
  // space included, is a number.
  EXPECT_EQ(JsonOf("a: |1-\n   5\nb: |-\n\n  7\nc: |1-\n  -3\nd: >-\n  4.5\ne: |1-\n   inf\n"),
            R"({"a":5,"b":7,"c":-3,"d":4.5,"e":"  inf"})");
  EXPECT_EQ(KindOf("a: |1-\n   5\n"), BindingValueKind::kUnsigned);
  EXPECT_EQ(KindOf("a: |1-\n  -3\n"), BindingValueKind::kSigned);
}

// Short digit runs are read without strtod, longer ones with it: both must
// give what strtod gives (rounding from 17 digits on, -0 as unsigned 0).
TEST(YamlReader, DigitRunsReadAsStrtodReadsThem) {
  EXPECT_EQ(JsonOf("[-0, 007, +5, -, 999999999999999, -999999999999999, 12345678901234567, Infinity]"),
            R"([0,7,5,"-",999999999999999,-999999999999999,12345678901234568,"Infinity"])");
  EXPECT_EQ(KindOf("a: -0"), BindingValueKind::kUnsigned);
}

// Whole numbers beyond the 64-bit range stay floats instead of overflowing.
TEST(YamlReader, WholeNumbersOutsideSixtyFourBitsStayFloats) {
  EXPECT_EQ(KindOf("a: 18446744073709551615"), BindingValueKind::kFloat);  // rounds to 2^64
  EXPECT_EQ(KindOf("a: 1e20"), BindingValueKind::kFloat);
  EXPECT_EQ(KindOf("a: -1e19"), BindingValueKind::kFloat);
  EXPECT_EQ(KindOf("a: -9223372036854775808"), BindingValueKind::kSigned);
}

TEST(YamlReader, TaggedScalars) {
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
}

TEST(YamlReader, AliasesCopyTheAnchoredValueAndNameTheirFailures) {
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

TEST(YamlReader, OneDocumentOnly) {
  EXPECT_EQ(ErrorOf("a: 1\n---\nb: 2\n"), "Multi-document YAML is not supported.");
  EXPECT_EQ(JsonOf("---\n~\n---\nb: 2\n"), R"({"b":2})");
  EXPECT_EQ(JsonOf("--- [1]\n...\n"), "[1]");
  EXPECT_TRUE(ParseYaml(nullptr, 0).Ok());
  EXPECT_TRUE(Parse("").Value().IsEmpty());
  EXPECT_TRUE(Parse("# only a comment\n").Value().IsEmpty());
}

TEST(YamlReader, ParserErrorsKeepLibyamlPositions) {
  EXPECT_EQ(ErrorOf("a: [1, 2\nb: 3"), "YAML parser error: did not find expected ',' or ']'. At line: 1 col: 1");
  EXPECT_EQ(ErrorOf("a: 1\n  b: 2"),
            "YAML parser error: mapping values are not allowed in this context. At line: 1 col: 3");
  EXPECT_EQ(ErrorOf("a: \"\\q\""), "YAML parser error: found unknown escape character. At line: 0 col: 4");
}

TEST(YamlReader, NestingIsBoundedAt512Levels) {
  const std::string deepest = std::string(512, '[') + std::string(512, ']');
  EXPECT_TRUE(Parse(deepest).Ok());
  const std::string hostile(1000000, '[');
  EXPECT_EQ(ErrorOf(hostile), "Nesting is deeper than the limit of 512 levels. At line: 1 col: 513");
  // An alias cannot carry a value past the bound either.
  const std::string anchored = "a: &x " + std::string(300, '[') + std::string(300, ']') +
                               "\nb: " + std::string(300, '[') + "*x" + std::string(300, ']');
  EXPECT_EQ(ErrorOf(anchored), "Nesting is deeper than the limit of 512 levels. At line: 2 col: 304");
}

TEST(YamlReader, AliasExpansionIsBounded) {
  std::string text = "a: &a [x, x, x, x, x, x, x, x, x, x]\n";
  const char* names[] = {"a", "b", "c", "d", "e", "f", "g", "h"};
  for (int i = 1; i < 8; ++i) {
    text += std::string(names[i]) + ": &" + names[i] + " [";
    for (int j = 0; j < 10; ++j) text += std::string(j ? ", *" : "*") + names[i - 1];
    text += "]\n";
  }
  EXPECT_EQ(ErrorOf(text).rfind("Aliases copy more than 262144 values. Alias \"e\".", 0), 0u) << ErrorOf(text);
}

}  // namespace
}  // namespace kel
