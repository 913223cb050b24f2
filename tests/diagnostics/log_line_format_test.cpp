#include "diagnostics/log_line_format.h"
#include "diagnostics/fatal_assertion.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "diagnostics/log.h"

namespace kel::log {
namespace {

LogRecord MakeRecord(const char* message, uint32_t level = kError, uint64_t groups = kGroupDbg | kGroupNet) {
  LogRecord record;
  record.time = {2024, 5, 1, 13, 45, 7, 9};
  record.level = level;
  record.groups_low = static_cast<uint32_t>(groups);
  record.groups_high = static_cast<uint32_t>(groups >> 32);
  record.message = message;
  return record;
}

std::string Line(const char* format, const LogRecord& record, size_t size = 4096) {
  std::string buffer(size, '\xff');
  const size_t length = FormatLine(buffer.data(), size, format, record);
  EXPECT_EQ(buffer[length], '\0');
  return buffer.substr(0, length);
}

TEST(LogLineFormat, ExpandsEveryCode) {
  const LogRecord record = MakeRecord("hello");
  EXPECT_EQ(Line("#D| #L| #G| #M", record), "2024-05-01T13:45:07.009|  ERROR| DBG;NET| hello\n");
  EXPECT_EQ(Line("#E", record), std::string(ExecutableName()) + "\n");
  EXPECT_TRUE(std::regex_match(Line("#T", record), std::regex("0x[0-9a-f]+\n")));
  EXPECT_TRUE(std::regex_match(Line("#H", record), std::regex("[0-9]{6}\\.[0-9]{3}\n")));
  EXPECT_EQ(Line("#L", MakeRecord("", 17)), "     ?\n");  // a level past the table
  // A hash before any other character yields that character.
  EXPECT_EQ(Line("#x ## #| #", MakeRecord("")), "x # | #\n");
}

TEST(LogLineFormat, EndsWithExactlyOneNewline) {
  EXPECT_EQ(Line("#M", MakeRecord("done\n")), "done\n");
  EXPECT_EQ(Line("#M", MakeRecord("")), "\n");
  EXPECT_EQ(Line("#M!", MakeRecord("a\n")), "a\n!\n");
}

TEST(LogLineFormat, StopsWhenTheBufferIsFull) {
  const std::string long_message(5000, 'z');
  const std::string line = Line("#L #M", MakeRecord(long_message.c_str()), 4096);
  EXPECT_EQ(line.size(), 4095u);
  EXPECT_EQ(line.back(), '\n');
  EXPECT_EQ(Line("#M", MakeRecord("abcdef"), 5), "abc\n");
  EXPECT_EQ(Line("#M", MakeRecord("abcdef"), 2), "\n");
}

TEST(LogLineFormat, FileNameTimestamp) {
  const platform::LocalTime time{1999, 12, 31, 23, 59, 58, 7};
  char text[32];
  FormatFileNameTimestamp(text, sizeof text, time);
  EXPECT_STREQ(text, "1999-12-31T23-59-58");
}

// That the report is logged and the process ends is seen where the export
// refuses an incompatible core.
TEST(FatalAssertion, ReportListsTheGivenParts) {
  EXPECT_EQ(FormatAssertionReport("x > 0", "x must be positive", "a.cpp", 12, "Run"),
            "Assertion failed!\n\nFile: a.cpp\nLine: 12\n\nFunction: Run\n\nExpression: x > 0"
            "\n\nDescription: x must be positive");
  EXPECT_EQ(FormatAssertionReport("ALE-EECF0606", nullptr, "", 0, nullptr),
            "Assertion failed!\n\nExpression: ALE-EECF0606");
  EXPECT_EQ(FormatAssertionReport(nullptr, "why", nullptr, 0, nullptr), "Assertion failed!\n\n\n\nDescription: why");
}

}  // namespace
}  // namespace kel::log
