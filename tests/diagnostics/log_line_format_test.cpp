#include "diagnostics/log_line_format.h"
#include "diagnostics/fatal_assertion.h"
#include "diagnostics/positional_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "diagnostics/log.h"

namespace kel::log {
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
  std::vector<FormatArg> many;
  for (int i = 1; i <= 12; ++i) many.emplace_back(i * 10);
  EXPECT_EQ(FormatPositional("%12 %1 %12", many), "120 10 120");
}

TEST(PositionalFormat, Conversions) {
  const std::string long_flags = "%1$" + std::string(60, '-') + "d";
  const std::tuple<const char*, std::vector<FormatArg>, const char*> cases[] = {
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
  for (const auto& [format, args, expected] : cases) EXPECT_EQ(FormatPositional(format, args), expected) << format;
}

TEST(PositionalFormat, ArgumentsAndOutputAreBounded) {
  std::vector<FormatArg> args;
  for (int i = 1; i <= 65; ++i) args.emplace_back(i);
  EXPECT_EQ(FormatPositional("%64", args), "64");
  EXPECT_EQ(FormatPositional("%65", args), "%65");
  const std::string long_text(5000, 'a');
  // Huge widths are cut before they reach the C library.
  for (const std::string& text :
       {FormatMessage(long_text), FormatMessage("x%1", long_text), FormatMessage("%1$999999999d", 1),
        FormatMessage("%1$*2$d", 1, std::numeric_limits<int>::max())})
    EXPECT_EQ(text.size(), kMaxMessageLength);
}

LogRecord MakeRecord(const char* message, uint32_t level = kError, uint64_t groups = kGroupDbg | kGroupNet) {
  return {
      {2024, 5, 1, 13, 45, 7, 9}, level, static_cast<uint32_t>(groups), static_cast<uint32_t>(groups >> 32), message};
}

std::string Line(const char* format, const LogRecord& record, size_t size = 4096) {
  std::string buffer(size, '\xff');
  const size_t length = FormatLine(buffer.data(), size, format, record);
  EXPECT_EQ(buffer[length], '\0');
  return buffer.substr(0, length);
}

TEST(LogLineFormat, ExpandsEveryCodeAndTheFileNameTimestamp) {
  const LogRecord record = MakeRecord("hello");
  EXPECT_EQ(Line("#D| #L| #G| #M", record), "2024-05-01T13:45:07.009|  ERROR| DBG;NET| hello\n");
  EXPECT_EQ(Line("#E", record), std::string(ExecutableName()) + "\n");
  EXPECT_TRUE(std::regex_match(Line("#T", record), std::regex("0x[0-9a-f]+\n")));
  EXPECT_TRUE(std::regex_match(Line("#H", record), std::regex("[0-9]{6}\\.[0-9]{3}\n")));
  EXPECT_EQ(Line("#L", MakeRecord("", 17)), "     ?\n");  // a level past the table
  // A hash before any other character yields that character.
  EXPECT_EQ(Line("#x ## #| #", MakeRecord("")), "x # | #\n");
  char text[32];  // the log file's name carries the time without colons
  FormatFileNameTimestamp(text, sizeof text, {1999, 12, 31, 23, 59, 58, 7});
  EXPECT_STREQ(text, "1999-12-31T23-59-58");
}

TEST(LogLineFormat, EndsWithExactlyOneNewlineAndStopsWhenTheBufferIsFull) {
  EXPECT_EQ(Line("#M", MakeRecord("done\n")), "done\n");
  EXPECT_EQ(Line("#M", MakeRecord("")), "\n");
  EXPECT_EQ(Line("#M!", MakeRecord("a\n")), "a\n!\n");
  const std::string long_message(5000, 'z');
  EXPECT_EQ(Line("#L #M", MakeRecord(long_message.c_str()), 4096), " ERROR " + std::string(4087, 'z') + "\n");
  EXPECT_EQ(Line("#M", MakeRecord("abcdef"), 5), "abc\n");
  EXPECT_EQ(Line("#M", MakeRecord("abcdef"), 2), "\n");
}

// That the report is logged and the process ends, and the report of an
// expression alone, are seen where the export refuses an incompatible core.
TEST(FatalAssertion, ReportListsTheGivenParts) {
  EXPECT_EQ(FormatAssertionReport("x > 0", "x must be positive", "a.cpp", 12, "Run"),
            "Assertion failed!\n\nFile: a.cpp\nLine: 12\n\nFunction: Run\n\nExpression: x > 0"
            "\n\nDescription: x must be positive");
  EXPECT_EQ(FormatAssertionReport(nullptr, "why", nullptr, 0, nullptr), "Assertion failed!\n\n\n\nDescription: why");
}

}  // namespace
}  // namespace kel::log
