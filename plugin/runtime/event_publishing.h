#pragma once

#include <cstdint>
#include <string_view>

#include "api/failure.h"
#include "api/maybe_type.h"
#include "runtime/core_port.h"
#include "runtime/runtime_records.h"

namespace kel {

// Publishes a resource event under the name derived from its uri, then once
// more under `eventName` when that differs ("OnJsonApiEvent", which every
// caller passes, always does). `word` travels in the event record.
MaybeType<Failure, Nothing> SendEvent(CorePort& plugin, std::string_view eventName, const PluginResourceEvent& event,
                                      std::uint32_t word = 0);

}  // namespace kel
