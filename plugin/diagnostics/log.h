// The process-wide log. Any thread may log; the log filters each message by
// level and groups, stamps it and hands it to every attached target.
//
//   kel::log::Write(kel::log::kError, kel::log::kGroupDbg, "Lost %s", name);
//
// The log exists from its first use to the end of the process. Its users
// (each plug-in object) hold a reference through Acquire/Release; when the
// last reference goes, the log returns to its start-up state (threshold 1,
// "XTR" excluded, standard error and debugger attached, nothing else).
#pragma once

#include <cstdarg>
#include <cstdint>

#include "diagnostics/log_groups.h"
#include "diagnostics/log_record.h"
#include "diagnostics/log_target.h"
#include "platform/local_time.h"

namespace kel::log {

// Formats the message by the printf rules (cut to 4095 bytes) and writes it.
void Write(uint32_t level, uint64_t groups, const char* format, ...) __attribute__((format(printf, 3, 4)));
void WriteV(uint32_t level, uint64_t groups, const char* format, va_list args) __attribute__((format(printf, 3, 0)));

void Acquire();
void Release();

// Messages below the threshold are dropped (initially 1).
void SetThreshold(uint32_t level);
uint32_t Threshold();
// Messages in any of these groups are dropped (initially "XTR").
void SetExcludedGroups(uint64_t groups);
uint64_t ExcludedGroups();
// A disabled log drops every message.
void Disable();
void Enable();
bool IsDisabled();
// A flag the log only stores for its users.
void SetAuxiliaryFlag();
void ClearAuxiliaryFlag();
bool AuxiliaryFlag();

// Targets are written in attach order. Attaching an attached target, or a
// seventeenth, does nothing. The log does not own its targets: a target must be detached
// before it is destroyed (the concrete targets do this themselves).
void AttachTarget(LogTarget* target);
void DetachTarget(LogTarget* target);
// The attached target whose GetName equals `name`, or nullptr.
LogTarget* FindTarget(const char* name);

class StdOutLogTarget;
class StdErrLogTarget;
class DebuggerConsoleLogTarget;
StdOutLogTarget& StdOutTarget();
StdErrLogTarget& StdErrTarget();
DebuggerConsoleLogTarget& DebuggerTarget();

// The executable's file name, "<unknown>" when it cannot be read.
const char* ExecutableName();
platform::LocalTime CurrentTimeRecord();

// Messages written at level 1 and level 2 since the process started.
uint32_t WarningCount();
uint64_t ErrorCount();

// The log as a table of plain functions, in a fixed order, so that another
// module can share this log.
struct LogFunctions {
  uint32_t (*version)();
  void (*acquire)();
  void (*release)();
  void (*set_threshold)(uint32_t level);
  uint32_t (*get_threshold)();
  void (*set_excluded_groups)(uint32_t low, uint32_t high);
  uint64_t (*get_excluded_groups)();
  void (*disable)();
  void (*enable)();
  void (*set_auxiliary_flag)();
  void (*clear_auxiliary_flag)();
  void (*attach_target)(LogTarget* target);
  void (*detach_target)(LogTarget* target);
  LogTarget* (*find_target)(const char* name);
  LogTarget* (*std_out_target)();
  LogTarget* (*std_err_target)();
  LogTarget* (*debugger_target)();
  uint64_t (*register_group)(const char* code);
  // Writes the groups' text into `buffer` (cut, NUL-terminated); returns
  // its full length.
  size_t (*groups_to_text)(uint64_t groups, char* buffer, size_t size);
  size_t (*format_line)(char* buffer, size_t size, const char* format, const LogRecord* record);
  const char* (*level_name)(uint32_t level);
  const char* (*executable_name)();
  void (*current_time_record)(platform::LocalTime* time);
  int (*format_timestamp)(char* buffer, size_t size, const platform::LocalTime* time);
  int (*format_file_name_timestamp)(char* buffer, size_t size, const platform::LocalTime* time);
  void (*log)(uint32_t level, uint32_t groups_low, uint32_t groups_high, const char* format, ...)
      __attribute__((format(printf, 4, 5)));
};

const LogFunctions& Functions();

}  // namespace kel::log
