#include "diagnostics/fatal_assertion.h"

#include <cstdio>
#include <cstdlib>

#include "diagnostics/log.h"

namespace kel::log {

namespace {
bool Given(const char* text) { return text && *text; }
}  // namespace

std::string FormatAssertionReport(const char* expression, const char* description, const char* file, int line,
                                  const char* function) {
  std::string report = "Assertion failed!\n\n";
  if (Given(file)) report += std::string("File: ") + file + "\n";
  if (line != 0) report += "Line: " + std::to_string(line) + "\n\n";
  if (Given(function)) report += std::string("Function: ") + function + "\n\n";
  if (Given(expression)) report += std::string("Expression: ") + expression;
  if (Given(description)) report += std::string("\n\nDescription: ") + description;
  return report;
}

void FatalAssertion(const char* expression, const char* description, const char* file, int line, const char* function) {
  const std::string report = FormatAssertionReport(expression, description, file, line, function);
  Write(kError, kGroupDbg, "%s", report.c_str());
  std::fflush(nullptr);
  std::abort();
}

}  // namespace kel::log
