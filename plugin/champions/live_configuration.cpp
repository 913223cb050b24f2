#include "champions/live_configuration.h"

#include "champions/session_records.h"
#include "champions/value_conversion.h"
#include "serialization/json_reader.h"

namespace kel::champions {
namespace {

std::vector<std::int32_t> ChampionIdsFromText(const BindingRegistry& registry, const BindingValue& queueValue) {
  const std::optional<std::string> text = ConvertValue<std::string>(registry, queueValue);
  if (!text) return {};
  BindingResult parsed = ParseJson(text->c_str());
  if (!parsed.Ok()) return {};
  return ConvertValue<std::vector<std::int32_t>>(registry, parsed.Value()).value_or(std::vector<std::int32_t>());
}

}  // namespace

std::optional<DisabledQueues> DisabledQueuesFromConfigs(const BindingRegistry& registry, const std::string& configs) {
  BindingResult parsed = ParseJson(configs.c_str());
  if (!parsed.Ok()) return std::nullopt;
  const std::optional<DrovDynamicClientConfig> config = ConvertValue<DrovDynamicClientConfig>(registry, parsed.Value());
  if (!config) return std::nullopt;

  DisabledQueues queues;
  if (!config->DisabledChampions.IsStructure()) return queues;
  for (const auto [queue, value] : config->DisabledChampions.Members()) {
    queues[std::string(queue)] = ChampionIdsFromText(registry, value);
  }
  return queues;
}

}  // namespace kel::champions
