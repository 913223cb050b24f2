#include "diagnostics/fatal_assertion.h"

#include <gtest/gtest.h>

// That the report is logged and the process ends is seen where the export
// refuses an incompatible core.

namespace kel::log {
namespace {

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
