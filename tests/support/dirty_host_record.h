// The record the core hands the export: its version filled in, every other
// byte left dirty, as the core's need not be clean.
#pragma once

#include <cstdint>
#include <cstring>

#include "runtime/host_abi.h"

namespace kel::testing {

inline PluginHostRecord DirtyHostRecord(uint32_t major, uint32_t minor, uint32_t patch) {
  PluginHostRecord record;
  std::memset(&record, 0xCD, sizeof record);
  record.api_major = major;
  record.api_minor = minor;
  record.api_patch = patch;
  return record;
}

}  // namespace kel::testing
