// The champion plug-in entered and started against the tests' fake core, as
// the fuzz targets drive it: retries of the game-data load end at once
// instead of pausing, tasks run when the target says so, events go to the
// callbacks the plug-in subscribed. Shut down as the core does when the rig
// goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "api/api_description_abi.h"
#include "champions/champion_plugin.h"
#include "runtime/host_abi.h"
#include "support/core_events.h"
#include "support/fake_core.h"

namespace kel::fuzz {

class PluginRig {
 public:
  PluginRig();
  ~PluginRig();
  PluginRig(const PluginRig&) = delete;
  PluginRig& operator=(const PluginRig&) = delete;

  bool Initialize() { return record_.callbacks->initialize(record_.context, &core.services()) != 0; }
  const ApiDescription& Description() const { return *record_.api_description; }

  // Runs the pending tasks, then those they scheduled, for at most `passes`
  // passes (rental timers may schedule themselves again).
  void RunTasks(int passes);

  // Names subscribed so far, in subscription order, without repeats.
  std::vector<std::string> SubscribedNames() const;
  // Delivers `payload` under `name` to the callback subscribed last under it.
  void Deliver(const std::string& name, const HostValue& payload) const;

  testing::FakeCore core;

 private:
  PluginHostRecord record_{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
  testing::TaskRunner tasks_{core};
};

}  // namespace kel::fuzz
