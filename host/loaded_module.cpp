#include "host/loaded_module.h"

#include <dlfcn.h>

namespace kel::host {

Result<std::unique_ptr<LoadedModule>> LoadedModule::Load(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    return Failure{reason != nullptr ? reason : "cannot load " + path};
  }
  std::unique_ptr<LoadedModule> module(new LoadedModule(handle));
  using EntryFn = void (*)(PluginHostRecord*);
  const auto entry = reinterpret_cast<EntryFn>(dlsym(handle, "load_kel_champions"));
  if (entry == nullptr) {
    module->shut_down_ = true;
    return Failure{path + " does not export load_kel_champions"};
  }
  module->record_.api_major = kHostApiVersion.major;
  module->record_.api_minor = kHostApiVersion.minor;
  module->record_.api_patch = kHostApiVersion.patch;
  entry(&module->record_);
  const PluginCallbacks* callbacks = module->record_.callbacks;
  if (module->record_.context == nullptr || callbacks == nullptr || callbacks->initialize == nullptr ||
      callbacks->shutdown == nullptr) {
    // Nothing to shut down: the entry did not hand out an object.
    module->shut_down_ = true;
    return Failure{"the entry of " + path + " did not fill the host record"};
  }
  return module;
}

LoadedModule::~LoadedModule() {
  Shutdown();
  dlclose(handle_);
}

std::string LoadedModule::ShortName() const { return record_.short_name != nullptr ? record_.short_name : ""; }

bool LoadedModule::Initialize(const HostServices* services) {
  if (shut_down_) return false;
  return record_.callbacks->initialize(record_.context, services) != 0;
}

void LoadedModule::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  record_.callbacks->shutdown(record_.context);
}

void LoadedModule::GetMemoryStats(MemoryStats& stats) const {
  stats = MemoryStats{};
  if (shut_down_ || record_.callbacks->get_memory_stats == nullptr) return;
  record_.callbacks->get_memory_stats(record_.context, &stats);
}

}  // namespace kel::host
