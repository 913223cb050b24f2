// Event delivery and task running on top of FakeCore, as the core does them.
#pragma once

#include <cstddef>
#include <string_view>

#include "binding/binding_value.h"
#include "support/fake_core.h"

namespace kel::testing {

// Builds the incoming event record (the payload as a HostValue, released
// afterwards) and calls the callback that was subscribed last under `name`,
// with its context. False when nothing was ever subscribed under the name.
bool DeliverEvent(const FakeCore& core, std::string_view name, const BindingValue& payload);

// Runs the tasks handed to ScheduleCallback, in order, each once.
class TaskRunner {
 public:
  explicit TaskRunner(const FakeCore& core) : core_(core) {}
  // Runs every task scheduled since the last call; returns how many ran.
  size_t RunPending();

 private:
  const FakeCore& core_;
  size_t next_ = 0;
};

}  // namespace kel::testing
