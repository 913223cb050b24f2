// A destination of log messages. The log filters each message by the
// target's threshold and group masks and then calls its Write.
#pragma once

#include <cstdint>
#include <mutex>

#include "diagnostics/log_record.h"

namespace kel::log {

class LogTarget;

// A target's operations as plain functions, so that the log can drive
// targets that another module created.
struct LogTargetFunctions {
  void (*set_threshold)(LogTarget* target, uint32_t level);
  uint32_t (*get_threshold)(const LogTarget* target);
  void (*set_group_masks)(LogTarget* target, uint64_t included, uint64_t excluded);
  void (*get_group_masks)(const LogTarget* target, uint64_t* included, uint64_t* excluded);
  const char* (*name)(const LogTarget* target);
  void (*attach)(LogTarget* target);
  void (*detach)(LogTarget* target);
  bool (*is_attached)(const LogTarget* target);
  bool (*write)(LogTarget* target, const LogRecord* record);
};

class LogTarget {
 public:
  LogTarget() = default;
  LogTarget(const LogTarget&) = delete;
  LogTarget& operator=(const LogTarget&) = delete;
  // A concrete target detaches itself in its own destructor, before its
  // Write stops being callable.
  virtual ~LogTarget() = default;

  virtual const char* GetName() const { return "LogTarget"; }
  virtual const char* GetFormat() const { return "#D| #L| #G| #M"; }
  // Writes one record; the log has already filtered it for this target.
  virtual bool Write(const LogRecord& record) = 0;
  virtual void Flush() {}

  void SetThreshold(uint32_t level);
  uint32_t Threshold() const;
  // 0 as the included mask means no restriction.
  void SetGroupMasks(uint64_t included, uint64_t excluded);
  uint64_t IncludedGroups() const;
  uint64_t ExcludedGroups() const;

  // Attaches to or detaches from the process-wide log.
  void Attach();
  void Detach();
  bool IsAttached() const;

  static const LogTargetFunctions& Functions();

 protected:
  // Guards the settings below and the target's output.
  mutable std::mutex mutex_;

 private:
  friend class TargetAttachment;
  bool attached_ = false;
  uint32_t threshold_ = kWarn;
  uint64_t included_groups_ = 0;
  uint64_t excluded_groups_ = 0;
};

// Sets the attached flag; used only by the log, under its own lock.
class TargetAttachment {
 public:
  static void Mark(LogTarget& target, bool attached) {
    std::lock_guard lock(target.mutex_);
    target.attached_ = attached;
  }
};

}  // namespace kel::log
