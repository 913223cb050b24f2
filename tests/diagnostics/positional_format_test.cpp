#include "diagnostics/positional_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace kel {
namespace {

TEST(PositionalFormat, BareNumbersUseEachTypesDefaultForm) {
  EXPECT_EQ(FormatMessage("Index %1 is out of range", 7), "Index 7 is out of range");
  EXPECT_EQ(FormatMessage("%2 before %1", "one", "two"), "two before one");
  EXPECT_EQ(FormatMessage("%1 %2 %3", -5, std::numeric_limits<uint64_t>::max(), true), "-5 18446744073709551615 true");
  EXPECT_EQ(FormatMessage("%1|%2|%3", 0.1, 2.5, 1e300), "0.1|2.5|1e+300");
  EXPECT_EQ(FormatMessage("%1%2", 'x', std::string("yz")), "xyz");
  EXPECT_EQ(FormatMessage("%1", std::string_view("view")), "view");
  EXPECT_EQ(FormatMessage("%1", static_cast<const char*>(nullptr)), "(null)");
  EXPECT_EQ(FormatMessage("no placeholders"), "no placeholders");
  // Multi-digit numbers and repeated use.
  std::vector<FormatArg> many;
  for (int i = 1; i <= 12; ++i) many.emplace_back(i * 10);
  EXPECT_EQ(FormatPositional("%12 %1 %12", many), "120 10 120");
}

// Numbered and unnumbered printf conversions, and what stays as written.
TEST(PositionalFormat, Conversions) {
  struct Case {
    const char* format;
    std::vector<FormatArg> args;
    const char* expected;
  };
  const std::string long_flags = "%1$" + std::string(60, '-') + "d";
  const Case cases[] = {
      {"100%% of %1", {"it"}, "100% of it"},
      {"", {}, ""},
      {"%1$05d|%2$-6s|%3$x", {42, "ab", 255u}, "00042|ab    |ff"},
      {"%1$+d %1$ d %1$#o", {8}, "+8  8 010"},
      {"%1$.3f %1$e", {3.14159}, "3.142 3.141590e+00"},
      {"%1$.2s", {"abcdef"}, "ab"},
      {"%1$c%2$c", {'o', 107}, "ok"},
      {"%1$lld %1$zu %1$jd", {12}, "12 12 12"},
      // Length modifiers narrow like printf.
      {"%1$hhd %1$hhu %1$hd", {257}, "1 1 257"},
      {"%1$hd", {70000}, "4464"},
      // Star widths and precisions; a negative width left-aligns, a negative
      // precision counts as none, a width argument must be an integer.
      {"[%1$*2$d]", {7, 4}, "[   7]"},
      {"[%1$.*2$f]", {2.0, 3}, "[2.000]"},
      {"[%*d]", {5, 42}, "[   42]"},
      {"[%1$*2$d]", {7, -3}, "[7  ]"},
      {"[%1$.*2$s]", {"abc", -1}, "[abc]"},
      {"[%1$*2$d]", {7, "x"}, "[%1$*2$d]"},
      // Unnumbered conversions take arguments in order; numbered placeholders
      // do not move the running counter.
      {"%s=%d", {"n", 3}, "n=3"},
      {"%2 %s %s", {"a", "b"}, "b a b"},
      {"%s %s", {"only"}, "only %s"},
      // A mismatched argument falls back to its default form.
      {"[%1$5d]", {"ab"}, "[   ab]"},
      {"%1$f", {2}, "2.000000"},
      {"%1$d", {1.5}, "1.5"},
      {"%1$s", {12}, "12"},
      // Malformed placeholders are copied as they stand; "%n" would write
      // through an argument and is never honoured; a conversion longer than
      // 60 characters is not one.
      {"%3 and %0", {1, 2}, "%3 and %0"},
      {"trailing %", {1}, "trailing %"},
      {"%1$", {1}, "%1$"},
      {"%1$q", {1}, "%1$q"},
      {"%d", {}, "%d"},
      {"%1$n", {1}, "%1$n"},
      {long_flags.c_str(), {1}, long_flags.c_str()},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatPositional(c.format, c.args), c.expected) << c.format;
}

TEST(PositionalFormat, AtMostSixtyFourArguments) {
  std::vector<FormatArg> args;
  for (int i = 1; i <= 65; ++i) args.emplace_back(i);
  EXPECT_EQ(FormatPositional("%64", args), "64");
  EXPECT_EQ(FormatPositional("%65", args), "%65");
}

TEST(PositionalFormat, OutputIsCutTo4095Bytes) {
  const std::string long_text(5000, 'a');
  EXPECT_EQ(FormatMessage(long_text).size(), kMaxMessageLength);
  EXPECT_EQ(FormatMessage("x%1", long_text).size(), kMaxMessageLength);
  // Huge widths are cut before they reach the C library.
  EXPECT_EQ(FormatMessage("%1$999999999d", 1).size(), kMaxMessageLength);
  EXPECT_EQ(FormatMessage("%1$*2$d", 1, std::numeric_limits<int>::max()).size(), kMaxMessageLength);
}

}  // namespace
}  // namespace kel
