// The core's side of the boundary, as small as a development host can have
// it: one thread, the ten HostTable functions, each call printed, delayed
// tasks run in due order on the host's thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/host_abi.h"

namespace kel::host {

class MinimalCore {
 public:
  explicit MinimalCore(std::FILE* out, uint32_t plugin_handle = 1);
  MinimalCore(const MinimalCore&) = delete;
  MinimalCore& operator=(const MinimalCore&) = delete;

  const HostServices& services() const { return services_; }

  // Runs due tasks until none is left or `budget_ms` has passed; returns how
  // many tasks were still waiting.
  size_t RunTasks(uint64_t budget_ms);

 private:
  struct Task {
    std::string label;
    TaskCallbackFn callback;
    void* context;
    uint64_t due_ns;
  };
  struct TableSlot {
    HostTable table;
    MinimalCore* core;
  };

  static MinimalCore& From(HostTable* t) { return *reinterpret_cast<TableSlot*>(t)->core; }
  // Runs every task that is due now; returns whether any ran.
  bool RunDueTasks();

  std::FILE* out_;
  TableSlot slot_;
  HostServices services_;
  std::vector<Task> tasks_;
};

}  // namespace kel::host
