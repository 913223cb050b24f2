// Creating and entering the plug-in object from load_kel_champions.
#pragma once

#include <memory>
#include <string_view>

#include "diagnostics/boundary_guard.h"
#include "runtime/app_module.h"

namespace kel {

// Creates a `Plugin` (an AppModule) and runs the entry sequence on it. The
// object lives until the core calls Shutdown. A missing record, or a throw
// anywhere before the entry is complete, leaves the record untouched and
// the object destroyed: it is held here until Enter has written the record.
template <class Plugin>
void EnterPlugin(PluginHostRecord* record, std::string_view short_name) noexcept {
  if (!record) return;
  GuardEntry("Loading the plug-in", nullptr, [&] {
    std::unique_ptr<AppModule> plugin = std::make_unique<Plugin>();
    plugin->Enter(*record, short_name);
    // From here the core owns it, through Shutdown.
    static_cast<void>(plugin.release());
  });
}

}  // namespace kel
