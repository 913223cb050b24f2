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
  EXPECT_EQ(FormatMessage("%1 %2 %3", -5, std::numeric_limits<uint64_t>::max(), true),
            "-5 18446744073709551615 true");
  EXPECT_EQ(FormatMessage("%1|%2|%3", 0.1, 2.5, 1e300), "0.1|2.5|1e+300");
  EXPECT_EQ(FormatMessage("%1%2", 'x', std::string("yz")), "xyz");
  EXPECT_EQ(FormatMessage("%1", std::string_view("view")), "view");
  EXPECT_EQ(FormatMessage("%1", static_cast<const char*>(nullptr)), "(null)");
  // Multi-digit numbers and repeated use.
  std::vector<FormatArg> many;
  for (int i = 1; i <= 12; ++i) many.emplace_back(i * 10);
  EXPECT_EQ(FormatPositional("%12 %1 %12", many), "120 10 120");
}

TEST(PositionalFormat, PercentPercentAndLiteralText) {
  EXPECT_EQ(FormatMessage("100%% of %1", "it"), "100% of it");
  EXPECT_EQ(FormatMessage("no placeholders"), "no placeholders");
  EXPECT_EQ(FormatMessage(""), "");
}

TEST(PositionalFormat, NumberedConversions) {
  EXPECT_EQ(FormatMessage("%1$05d|%2$-6s|%3$x", 42, "ab", 255u), "00042|ab    |ff");
  EXPECT_EQ(FormatMessage("%1$+d %1$ d %1$#o", 8), "+8  8 010");
  EXPECT_EQ(FormatMessage("%1$.3f %1$e", 3.14159), "3.142 3.141590e+00");
  EXPECT_EQ(FormatMessage("%1$.2s", "abcdef"), "ab");
  EXPECT_EQ(FormatMessage("%1$c%2$c", 'o', 107), "ok");
  EXPECT_EQ(FormatMessage("%1$lld %1$zu %1$jd", 12), "12 12 12");
}

TEST(PositionalFormat, LengthModifiersNarrowLikePrintf) {
  EXPECT_EQ(FormatMessage("%1$hhd %1$hhu %1$hd", 257), "1 1 257");
  EXPECT_EQ(FormatMessage("%1$hd", 70000), "4464");
}

TEST(PositionalFormat, StarWidthsAndPrecisions) {
  EXPECT_EQ(FormatMessage("[%1$*2$d]", 7, 4), "[   7]");
  EXPECT_EQ(FormatMessage("[%1$.*2$f]", 2.0, 3), "[2.000]");
  EXPECT_EQ(FormatMessage("[%*d]", 5, 42), "[   42]");
  // A negative width left-aligns; a negative precision counts as none.
  EXPECT_EQ(FormatMessage("[%1$*2$d]", 7, -3), "[7  ]");
  EXPECT_EQ(FormatMessage("[%1$.*2$s]", "abc", -1), "[abc]");
  // A width argument must be an integer.
  EXPECT_EQ(FormatMessage("[%1$*2$d]", 7, "x"), "[%1$*2$d]");
}

TEST(PositionalFormat, UnnumberedConversionsTakeArgumentsInOrder) {
  EXPECT_EQ(FormatMessage("%s=%d", "n", 3), "n=3");
  // Numbered placeholders do not move the running counter.
  EXPECT_EQ(FormatMessage("%2 %s %s", "a", "b"), "b a b");
  EXPECT_EQ(FormatMessage("%s %s", "only"), "only %s");
}

TEST(PositionalFormat, MismatchedArgumentsFallBackToTheirDefaultForm) {
  EXPECT_EQ(FormatMessage("[%1$5d]", "ab"), "[   ab]");
  EXPECT_EQ(FormatMessage("%1$f", 2), "2.000000");
  EXPECT_EQ(FormatMessage("%1$d", 1.5), "1.5");
  EXPECT_EQ(FormatMessage("%1$s", 12), "12");
}

TEST(PositionalFormat, MalformedPlaceholdersAreCopiedAsTheyStand) {
  EXPECT_EQ(FormatMessage("%3 and %0", 1, 2), "%3 and %0");
  EXPECT_EQ(FormatMessage("trailing %", 1), "trailing %");
  EXPECT_EQ(FormatMessage("%1$", 1), "%1$");
  EXPECT_EQ(FormatMessage("%1$q", 1), "%1$q");
  EXPECT_EQ(FormatMessage("%d"), "%d");
  // "%n" would write through an argument: never honoured.
  EXPECT_EQ(FormatMessage("%1$n", 1), "%1$n");
  // A conversion longer than 60 characters is not one.
  const std::string long_flags = "%1$" + std::string(60, '-') + "d";
  EXPECT_EQ(FormatMessage(long_flags, 1), long_flags);
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
