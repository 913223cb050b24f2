// Events from the core and from other plug-ins: payloads of any shape
// delivered under every name the plug-in subscribed to, the remote service's
// messages included, with the tasks they schedule run after each one.
//
// Input: repeated (name selector byte, HostValue tree); the selector picks
// among the names subscribed so far.
#include <cstdint>
#include <cstdlib>

#include "support/byte_source.h"
#include "support/host_value_bytes.h"
#include "support/plugin_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kel::fuzz::PluginRig rig;
  if (!rig.Initialize()) std::abort();
  rig.RunTasks(4);
  kel::fuzz::ByteSource source(data, size);
  kel::fuzz::HostValueArena arena;
  while (!source.Empty()) {
    const std::vector<std::string> names = rig.SubscribedNames();
    if (names.empty()) std::abort();
    const std::string& name = names[source.U8() % names.size()];
    rig.Deliver(name, arena.Read(source));
    rig.RunTasks(4);
  }
  return 0;
}
