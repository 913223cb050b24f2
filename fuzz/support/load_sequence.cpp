#include "support/load_sequence.h"

#include <cstdlib>

#include "runtime/event_names.h"
#include "support/core_events.h"

namespace kel::fuzz {

void RunLoadSequence(PluginRig& rig) {
  if (!rig.Initialize()) std::abort();
  rig.RunTasks(8);
  const std::string loyalty = "/kel-loyalty/v1/status-notification";
  BindingValue data;
  data.MakeStructure();
  testing::DeliverEvent(rig.core, ResourceEventName(loyalty),
                        testing::ResourceEventPayload(loyalty, PluginResourceEventType::Update, data));
  rig.RunTasks(8);
}

}  // namespace kel::fuzz
