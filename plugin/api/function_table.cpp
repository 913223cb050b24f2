#include "api/function_table.h"

#include "binding/fnv1a.h"
#include "api/name_rule.h"

namespace kel {

std::optional<size_t> FunctionRecord::FindParameter(std::string_view parameter_name) const {
  const auto [first, last] = parameter_index.equal_range(Fnv1a32(parameter_name));
  for (auto it = first; it != last; ++it) {
    if (parameters[it->second].name == parameter_name) return it->second;
  }
  return std::nullopt;
}

const FunctionRecord& FunctionTable::Register(FunctionDefinition definition) {
  FunctionRecord& record = functions_.emplace_back();
  static_cast<FunctionDefinition&>(record) = std::move(definition);
  if (record.name.empty()) {
    record.name = ApplyNameRule(MethodText(record.method), record.path_template);
  }
  if (record.path_template.empty()) {
    record.route = CompiledRoute::Compile(record.name);
  } else {
    record.route = CompiledRoute::Compile(record.path_template);
    record.path_template = record.route.Template();
  }
  for (size_t i = 0; i < record.parameters.size(); ++i) {
    record.parameter_index.emplace(Fnv1a32(record.parameters[i].name), i);
  }
  return record;
}

}  // namespace kel
