#include "diagnostics/console_log_targets.h"

#include <cstdio>

#include "diagnostics/log_groups.h"
#include "diagnostics/log_line_format.h"
#include "platform/debugger_output.h"

namespace kel::log {

bool BaseConsoleLogTarget::Write(const LogRecord& record) {
  char line[kMaxLogText + 1];
  FormatLine(line, sizeof line, GetFormat(), record);
  std::lock_guard lock(mutex_);
  Output(line);
  return true;
}

void StdErrLogTarget::RestoreDefaults() {
  SetThreshold(kWarn);
  SetGroupMasks(kGroupDbg, kGroupGen);
}

void StdErrLogTarget::Output(const char* line) { std::fputs(line, stderr); }

void StdOutLogTarget::RestoreDefaults() {
  SetThreshold(kWarn);
  SetGroupMasks(kGroupGen, kGroupDbg);
  flush_each_line_ = false;
}

void StdOutLogTarget::Output(const char* line) {
  std::fputs(line, stdout);
  if (flush_each_line_) std::fflush(stdout);
}

void StdOutLogTarget::Flush() {
  std::lock_guard lock(mutex_);
  std::fflush(stdout);
}

void DebuggerConsoleLogTarget::RestoreDefaults() {
  SetThreshold(kWarn);
  SetGroupMasks(kGroupDbg, 0);
}

void DebuggerConsoleLogTarget::Output(const char* line) { platform::WriteDebuggerOutput(line); }

}  // namespace kel::log
