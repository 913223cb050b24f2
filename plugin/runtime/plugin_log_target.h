// The log target that hands every line to the core once it has started the
// plug-in: the only target attached after Initialize.
#pragma once

#include "diagnostics/log_target.h"
#include "runtime/host_abi.h"

namespace kel {

class PluginLogTarget final : public log::LogTarget {
 public:
  explicit PluginLogTarget(HostTable* host_table) : host_table_(host_table) {}
  ~PluginLogTarget() override { Detach(); }

  const char* GetName() const override { return "PluginLogTarget"; }
  // Calls WriteLog with the record's level and message.
  bool Write(const log::LogRecord& record) override;

 private:
  HostTable* const host_table_;
};

}  // namespace kel
