// kel-host: loads the plug-in module as the core would, starts it, shows
// what it reports and shuts it down.
//
//   kel-host [path/to/zbt-be-kel-champions.so]
//
// Without an argument it loads the module that sits beside the executable.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "host/minimal_core.h"
#include "runtime/host_abi.h"

namespace {

constexpr const char* kModuleFile = "zbt-be-kel-champions.so";
// How long delayed tasks of the plug-in get to run before shutdown.
constexpr uint64_t kTaskBudgetMs = 500;

std::string DefaultModulePath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0) return kModuleFile;
  std::string executable(path, static_cast<size_t>(length));
  return executable.substr(0, executable.find_last_of('/') + 1) + kModuleFile;
}

// "zbt-be-kel-champions" from ".../zbt-be-kel-champions.so".
std::string ModuleName(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  const size_t dot = name.rfind(".so");
  return dot == std::string::npos ? name : name.substr(0, dot);
}

void PrintMemoryStats(const kel::PluginCallbacks& callbacks, void* context) {
  kel::MemoryStats stats{};
  callbacks.get_memory_stats(context, &stats);
  std::printf("memory: peak %llu bytes in %llu blocks; allocated %llu bytes in %llu blocks; freed %llu bytes in %llu blocks\n",
              static_cast<unsigned long long>(stats.peak_bytes_in_use),
              static_cast<unsigned long long>(stats.allocations_at_peak),
              static_cast<unsigned long long>(stats.total_bytes_allocated),
              static_cast<unsigned long long>(stats.total_allocations),
              static_cast<unsigned long long>(stats.total_bytes_freed),
              static_cast<unsigned long long>(stats.total_frees));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: %s [module.so]\n", argv[0]);
    return 2;
  }
  const std::string path = argc == 2 ? argv[1] : DefaultModulePath();
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    std::fprintf(stderr, "kel-host: cannot load %s: %s\n", path.c_str(), dlerror());
    return 1;
  }
  using EntryFn = void (*)(kel::PluginHostRecord*);
  auto entry = reinterpret_cast<EntryFn>(dlsym(module, "load_kel_champions"));
  if (!entry) {
    std::fprintf(stderr, "kel-host: %s has no load_kel_champions\n", path.c_str());
    return 1;
  }
  std::printf("kel-host: loaded %s\n", path.c_str());

  kel::PluginHostRecord record{};
  record.api_major = 18;
  record.api_minor = 0;
  record.api_patch = 0;
  entry(&record);
  const kel::PluginCallbacks* callbacks = record.callbacks;
  void* context = record.context;
  if (!callbacks || !context || !record.short_name) {
    std::fprintf(stderr, "kel-host: the plug-in did not fill its record\n");
    return 1;
  }
  std::printf("plug-in: %s (short name %s)\n", ModuleName(path).c_str(), record.short_name);
  std::printf("plug-in API version: %u.%u.%u (core 18.0.0)\n", record.api_major, record.api_minor,
              record.api_patch);
  std::fflush(stdout);

  kel::host::MinimalCore core(stdout);
  const bool initialized = callbacks->initialize(context, &core.services()) != 0;
  std::printf("initialize: %s\n", initialized ? "ok" : "failed");
  const size_t waiting = core.RunTasks(kTaskBudgetMs);
  if (waiting > 0) std::printf("core: %zu task(s) still waiting at shutdown\n", waiting);
  PrintMemoryStats(*callbacks, context);
  callbacks->shutdown(context);
  std::printf("shutdown: done\n");
  std::fflush(stdout);
  dlclose(module);
  return initialized ? 0 : 1;
}
