#include "diagnostics/log.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <array>
#include <span>
#include <string>

#include "diagnostics/console_log_targets.h"
#include "diagnostics/log_line_format.h"
#include "platform/process_info.h"

namespace kel::log {

namespace {

constexpr uint32_t kStartThreshold = kWarn;
constexpr uint64_t kStartExcludedGroups = kGroupXtr;

// More targets than this are not attached.
constexpr size_t kMaxTargets = 16;

// Lock order: the log's mutex, then a target's own mutex (taken inside the
// target's Write and by the attach/detach bookkeeping).
//
// The log holds no heap memory: it outlives everything else in the module
// and must leave nothing behind when the module is unloaded.
class Log {
 public:
  Log() {
    const std::string name = platform::ExecutableFileName();
    std::snprintf(executable_name_.data(), executable_name_.size(), "%s", name.empty() ? "<unknown>" : name.c_str());
    AttachStartTargets();
  }

  void Acquire() { references_.fetch_add(1); }

  void Release() {
    std::lock_guard lock(mutex_);
    if (references_.load() == 0 || references_.fetch_sub(1) != 1) return;
    for (LogTarget* target : Attached()) TargetAttachment::Mark(*target, false);
    AttachStartTargets();
    for (BaseConsoleLogTarget* target :
         {static_cast<BaseConsoleLogTarget*>(&std_err_), static_cast<BaseConsoleLogTarget*>(&std_out_),
          static_cast<BaseConsoleLogTarget*>(&debugger_)}) {
      target->RestoreDefaults();
    }
    threshold_ = kStartThreshold;
    excluded_groups_ = kStartExcludedGroups;
    disabled_ = false;
    auxiliary_flag_ = false;
  }

  bool Drops(uint32_t level, uint64_t groups) const {
    return disabled_ || level < threshold_ || (groups & excluded_groups_) != 0;
  }

  void Dispatch(const LogRecord& record) {
    const uint64_t groups = record.groups();
    std::lock_guard lock(mutex_);
    if (record.level == kWarn) ++warnings_;
    if (record.level == kError) ++errors_;
    const LogTargetFunctions& target_functions = LogTarget::Functions();
    for (LogTarget* target : Attached()) {
      if (record.level < target_functions.get_threshold(target)) continue;
      if (groups != 0) {
        uint64_t included = 0;
        uint64_t excluded = 0;
        target_functions.get_group_masks(target, &included, &excluded);
        if (groups & excluded) continue;
        if (included != 0 && !(groups & included)) continue;
      }
      target_functions.write(target, &record);
    }
  }

  void Attach(LogTarget* target) {
    std::lock_guard lock(mutex_);
    const std::span<LogTarget*> attached = Attached();
    if (std::find(attached.begin(), attached.end(), target) != attached.end()) return;
    if (target_count_ == targets_.size()) return;
    targets_[target_count_++] = target;
    TargetAttachment::Mark(*target, true);
  }

  void Detach(LogTarget* target) {
    std::lock_guard lock(mutex_);
    const std::span<LogTarget*> attached = Attached();
    auto found = std::find(attached.begin(), attached.end(), target);
    if (found == attached.end()) return;
    std::copy(found + 1, attached.end(), found);
    --target_count_;
    TargetAttachment::Mark(*target, false);
  }

  LogTarget* Find(const char* name) {
    std::lock_guard lock(mutex_);
    for (LogTarget* target : Attached()) {
      if (name && std::strcmp(target->GetName(), name) == 0) return target;
    }
    return nullptr;
  }

  std::atomic<uint32_t> threshold_{kStartThreshold};
  std::atomic<uint64_t> excluded_groups_{kStartExcludedGroups};
  std::atomic<bool> disabled_{false};
  std::atomic<bool> auxiliary_flag_{false};
  std::atomic<uint32_t> warnings_{0};
  std::atomic<uint64_t> errors_{0};
  std::array<char, 256> executable_name_{};
  StdErrLogTarget std_err_;
  StdOutLogTarget std_out_;
  DebuggerConsoleLogTarget debugger_;

 private:
  std::span<LogTarget*> Attached() { return {targets_.data(), target_count_}; }

  void AttachStartTargets() {
    targets_[0] = &std_err_;
    targets_[1] = &debugger_;
    target_count_ = 2;
    TargetAttachment::Mark(std_err_, true);
    TargetAttachment::Mark(debugger_, true);
  }

  std::mutex mutex_;
  std::array<LogTarget*, kMaxTargets> targets_{};
  size_t target_count_ = 0;
  std::atomic<uint32_t> references_{0};
};

// Created on first use and never destroyed: core threads may still log
// while the process shuts down.
Log& TheLog() {
  alignas(Log) static unsigned char storage[sizeof(Log)];
  static Log* const log = new (storage) Log;
  return *log;
}

}  // namespace

void WriteV(uint32_t level, uint64_t groups, const char* format, va_list args) {
  Log& log = TheLog();
  if (log.Drops(level, groups)) return;
  char message[kMaxLogText + 1];
  // A null format is an empty line (written out: clang refuses an empty
  // literal format).
  if (format == nullptr) {
    message[0] = '\0';
  } else {
    std::vsnprintf(message, sizeof message, format, args);
  }
  LogRecord record;
  record.time = platform::CurrentLocalTime();
  record.level = level;
  record.groups_low = static_cast<uint32_t>(groups);
  record.groups_high = static_cast<uint32_t>(groups >> 32);
  record.message = message;
  log.Dispatch(record);
}

void Write(uint32_t level, uint64_t groups, const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteV(level, groups, format, args);
  va_end(args);
}

void Acquire() { TheLog().Acquire(); }
void Release() { TheLog().Release(); }
void SetThreshold(uint32_t level) { TheLog().threshold_ = level; }
uint32_t Threshold() { return TheLog().threshold_; }
void SetExcludedGroups(uint64_t groups) { TheLog().excluded_groups_ = groups; }
uint64_t ExcludedGroups() { return TheLog().excluded_groups_; }
void Disable() { TheLog().disabled_ = true; }
void Enable() { TheLog().disabled_ = false; }
bool IsDisabled() { return TheLog().disabled_; }
void SetAuxiliaryFlag() { TheLog().auxiliary_flag_ = true; }
void ClearAuxiliaryFlag() { TheLog().auxiliary_flag_ = false; }
bool AuxiliaryFlag() { return TheLog().auxiliary_flag_; }
void AttachTarget(LogTarget* target) {
  if (target) TheLog().Attach(target);
}
void DetachTarget(LogTarget* target) {
  if (target) TheLog().Detach(target);
}
LogTarget* FindTarget(const char* name) { return TheLog().Find(name); }
StdOutLogTarget& StdOutTarget() { return TheLog().std_out_; }
StdErrLogTarget& StdErrTarget() { return TheLog().std_err_; }
DebuggerConsoleLogTarget& DebuggerTarget() { return TheLog().debugger_; }
const char* ExecutableName() { return TheLog().executable_name_.data(); }
platform::LocalTime CurrentTimeRecord() { return platform::CurrentLocalTime(); }
uint32_t WarningCount() { return TheLog().warnings_; }
uint64_t ErrorCount() { return TheLog().errors_; }

const char* LevelName(uint32_t level) {
  static constexpr const char* kNames[] = {"  OKAY", "  WARN", " ERROR", "ALWAYS"};
  return level < 4 ? kNames[level] : "     ?";
}

namespace {
void WriteSplitGroups(uint32_t level, uint32_t groups_low, uint32_t groups_high, const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteV(level, (uint64_t{groups_high} << 32) | groups_low, format, args);
  va_end(args);
}
}  // namespace

const LogFunctions& Functions() {
  static constexpr LogFunctions kFunctions = {
      [] { return uint32_t{1}; },
      &Acquire,
      &Release,
      &SetThreshold,
      &Threshold,
      [](uint32_t low, uint32_t high) { SetExcludedGroups((uint64_t{high} << 32) | low); },
      &ExcludedGroups,
      &Disable,
      &Enable,
      &SetAuxiliaryFlag,
      &ClearAuxiliaryFlag,
      &AttachTarget,
      &DetachTarget,
      &FindTarget,
      []() -> LogTarget* { return &StdOutTarget(); },
      []() -> LogTarget* { return &StdErrTarget(); },
      []() -> LogTarget* { return &DebuggerTarget(); },
      &RegisterGroup,
      [](uint64_t groups, char* buffer, size_t size) {
        const std::string text = GroupsToText(groups);
        if (size > 0) std::snprintf(buffer, size, "%s", text.c_str());
        return text.size();
      },
      [](char* buffer, size_t size, const char* format, const LogRecord* record) {
        return FormatLine(buffer, size, format, *record);
      },
      &LevelName,
      &ExecutableName,
      [](platform::LocalTime* time) { *time = CurrentTimeRecord(); },
      [](char* buffer, size_t size, const platform::LocalTime* time) { return FormatTimestamp(buffer, size, *time); },
      [](char* buffer, size_t size, const platform::LocalTime* time) {
        return FormatFileNameTimestamp(buffer, size, *time);
      },
      &WriteSplitGroups,
  };
  return kFunctions;
}

}  // namespace kel::log
