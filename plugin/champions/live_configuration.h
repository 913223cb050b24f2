#pragma once
// Reads the disabled queues out of the remote configuration message. Its
// `configs` member is JSON text, and inside it each queue of
// `DisabledChampions` maps to a string that is JSON text again: the list of
// champion ids disabled in that queue.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kel {
class BindingRegistry;
}

namespace kel::champions {

using DisabledQueues = std::unordered_map<std::string, std::vector<std::int32_t>>;

// Nothing when `configs` is not JSON or not a configuration record. A queue
// whose text is not a JSON list of ids is present with an empty list.
std::optional<DisabledQueues> DisabledQueuesFromConfigs(const BindingRegistry& registry, const std::string& configs);

}  // namespace kel::champions
