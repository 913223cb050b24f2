// The module's one exported symbol.
#include "runtime/app_module.h"
#include "runtime/plugin_entry.h"

extern "C" __attribute__((visibility("default"))) void load_kel_champions(kel::PluginHostRecord* record) {
  kel::EnterPlugin<kel::AppModule>(record, "kel-champions");
}
