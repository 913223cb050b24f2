// Creating and entering the plug-in object from load_kel_champions.
#pragma once

#include <new>
#include <string_view>

#include "diagnostics/log.h"
#include "runtime/app_module.h"

namespace kel {

// Creates a `Plugin` (an AppModule) and runs the entry sequence on it. The
// object lives until the core calls Shutdown. A missing record or a failed
// allocation leaves the record untouched.
template <class Plugin>
void EnterPlugin(PluginHostRecord* record, std::string_view short_name) {
  if (!record) return;
  try {
    AppModule* plugin = new Plugin();
    plugin->Enter(*record, short_name);
  } catch (const std::bad_alloc&) {
    // Nothing may unwind into the core.
    log::Write(log::kError, log::kGroupDbg, "Out of memory creating the plug-in object");
  }
}

}  // namespace kel
