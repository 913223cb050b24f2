// The plug-in module as the core holds it: loaded with dlopen, entered with
// the core's API version, initialised with the host table, shut down and
// unloaded in that order.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "api/api_description_abi.h"
#include "host/host_result.h"
#include "runtime/host_abi.h"

namespace kel::host {

// The plug-in API version this host speaks.
inline constexpr PluginApiVersion kHostApiVersion{18, 0, 0};

class LoadedModule {
 public:
  // Loads the module and runs its entry. Fails when the file cannot be
  // loaded, lacks the entry, or leaves the record unfilled.
  static Result<std::unique_ptr<LoadedModule>> Load(const std::string& path);
  // Shuts the plug-in down if that has not happened, then unloads it.
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  const PluginHostRecord& Record() const { return record_; }
  const ApiDescription* Description() const { return record_.api_description; }
  std::string ShortName() const;

  // `services` must stay valid until Shutdown.
  bool Initialize(const HostServices* services);
  // Ends every use of the plug-in's context; later calls do nothing.
  void Shutdown();
  // Zeroes `stats` once the plug-in is shut down.
  void GetMemoryStats(MemoryStats& stats) const;

 private:
  explicit LoadedModule(void* handle) : handle_(handle) {}

  void* handle_;
  PluginHostRecord record_{};
  std::atomic<bool> shut_down_{false};
};

}  // namespace kel::host
