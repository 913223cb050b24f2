#include "support/plugin_rig.h"

#include <algorithm>

#include "runtime/event_abi.h"

namespace kel::fuzz {

PluginRig::PluginRig() {
  auto* plugin =
      new champions::ChampionPlugin([](champions::ShutdownSignal& signal, std::chrono::seconds) { signal.Signal(); });
  plugin->Enter(record_, "kel-champions");
}

PluginRig::~PluginRig() { record_.callbacks->shutdown(record_.context); }

void PluginRig::RunTasks(int passes) {
  for (int pass = 0; pass < passes && tasks_.RunPending() > 0; ++pass) {
  }
}

std::vector<std::string> PluginRig::SubscribedNames() const {
  std::vector<std::string> names;
  for (const testing::SubscribeCall& call : core.subscriptions()) {
    if (std::find(names.begin(), names.end(), call.name) == names.end()) names.push_back(call.name);
  }
  return names;
}

void PluginRig::Deliver(const std::string& name, const HostValue& payload) const {
  const std::vector<testing::SubscribeCall> subscriptions = core.subscriptions();
  for (auto it = subscriptions.rbegin(); it != subscriptions.rend(); ++it) {
    if (it->name != name) continue;
    IncomingEventRecord event{};
    event.name = name.c_str();
    event.payload = payload;
    event.context = it->context;
    it->callback(&event);
    return;
  }
}

}  // namespace kel::fuzz
