// The three text targets the log starts with: standard error and the
// debugger (attached at start), and standard output (attached on demand).
#pragma once

#include <atomic>

#include "diagnostics/log_target.h"

namespace kel::log {

// Formats each record with the target's line format and hands the line to
// Output under the target's lock.
class BaseConsoleLogTarget : public LogTarget {
 public:
  const char* GetName() const override { return "BaseConsoleLogTarget"; }
  bool Write(const LogRecord& record) override;

  // Threshold, group masks and (for standard output) the flush flag as the
  // log creates them.
  virtual void RestoreDefaults() = 0;

 protected:
  virtual void Output(const char* line) = 0;
};

class StdErrLogTarget final : public BaseConsoleLogTarget {
 public:
  StdErrLogTarget() { RestoreDefaults(); }
  ~StdErrLogTarget() override { Detach(); }
  const char* GetName() const override { return "StdErrLogTarget"; }
  const char* GetFormat() const override { return "#E(#T): #L| #M"; }
  void RestoreDefaults() override;

 protected:
  void Output(const char* line) override;
};

class StdOutLogTarget final : public BaseConsoleLogTarget {
 public:
  StdOutLogTarget() { RestoreDefaults(); }
  ~StdOutLogTarget() override { Detach(); }
  const char* GetName() const override { return "StdOutLogTarget"; }
  const char* GetFormat() const override { return "#M"; }
  void Flush() override;
  void RestoreDefaults() override;
  // With the flag set, every line is flushed as soon as it is written.
  void SetFlushEachLine(bool flush) { flush_each_line_ = flush; }

 protected:
  void Output(const char* line) override;

 private:
  std::atomic<bool> flush_each_line_{false};
};

class DebuggerConsoleLogTarget final : public BaseConsoleLogTarget {
 public:
  DebuggerConsoleLogTarget() { RestoreDefaults(); }
  ~DebuggerConsoleLogTarget() override { Detach(); }
  const char* GetName() const override { return "DebuggerConsoleLogTarget"; }
  const char* GetFormat() const override { return "#E(#T): #L| #M"; }
  void RestoreDefaults() override;

 protected:
  void Output(const char* line) override;
};

}  // namespace kel::log
