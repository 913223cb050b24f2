// The report written just before the plug-in ends the process on a broken
// invariant it cannot recover from (an incompatible core, a future without
// a shared state).
#pragma once

#include <string>

namespace kel::log {

// "Assertion failed!\n\n", then "File: ...\n", "Line: ...\n\n",
// "Function: ...\n\n", "Expression: ..." and "\n\nDescription: ..." for
// each part that is given (non-null and non-empty, or a line other than 0).
std::string FormatAssertionReport(const char* expression, const char* description, const char* file, int line,
                                  const char* function);

// Logs the report at level 2 in group "DBG" and ends the process at once
// (abort, so that a debugger or a core dump catches the spot).
[[noreturn]] void FatalAssertion(const char* expression, const char* description, const char* file, int line,
                                 const char* function);

}  // namespace kel::log
