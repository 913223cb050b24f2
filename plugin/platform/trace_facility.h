// The system's event tracing, as far as the plug-in uses it: providers
// register under a GUID, learn through a callback whether a session wants
// their events, and write them. Linux offers no such facility to the
// plug-in, so none is installed and tracing is off; a test installs its own.
#pragma once

#include <cstdint>

namespace kel::platform {

struct TraceGuid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};

// Called by the facility, during registration or later on any thread,
// whenever a session enables or disables the provider.
using TraceEnableCallback = void (*)(void* context, bool enabled, uint8_t level, uint64_t match_any_keyword,
                                     uint64_t match_all_keyword);

struct TraceFacility {
  // Returns false when the provider cannot be registered.
  bool (*register_provider)(const TraceGuid& id, TraceEnableCallback callback, void* context, uint64_t* handle);
  // The one event the plug-in writes: a name for a thread.
  void (*write_thread_name)(uint64_t handle, uint32_t thread_id, const char* name);
  void (*unregister_provider)(uint64_t handle);
};

// The installed facility, or nullptr: tracing is off.
const TraceFacility* CurrentTraceFacility();
// Installs a facility (nullptr removes it); returns the previous one.
const TraceFacility* SetTraceFacility(const TraceFacility* facility);

}  // namespace kel::platform
