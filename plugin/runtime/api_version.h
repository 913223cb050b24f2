// Which core versions the plug-in can run in.
#pragma once

#include "runtime/host_abi.h"

namespace kel {

// The plug-in's own interface version, fixed at build time.
inline constexpr PluginApiVersion kPluginApiVersion{18, 0, 0};

// Same major, and the core's (minor, patch) not below the plug-in's,
// compared as a pair with the minor first.
constexpr bool IsCompatibleApiVersion(const PluginApiVersion& core, const PluginApiVersion& plugin) {
  if (core.major != plugin.major) return false;
  if (core.minor != plugin.minor) return core.minor > plugin.minor;
  return core.patch >= plugin.patch;
}

}  // namespace kel
