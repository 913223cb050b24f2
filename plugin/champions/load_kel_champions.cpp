// The module's one exported symbol, and what lives exactly as long as the
// module is loaded.
#include "champions/champion_plugin.h"
#include "diagnostics/trace_providers.h"
#include "runtime/plugin_entry.h"

namespace {
// Registered when the core loads the module, unregistered when it unloads it.
const kel::log::TraceProviders g_trace_providers;
}  // namespace

extern "C" __attribute__((visibility("default"))) void load_kel_champions(kel::PluginHostRecord* record) {
  kel::EnterPlugin<kel::champions::ChampionPlugin>(record, "kel-champions");
}
