// The tests read the host's answers with the plug-in's own JSON reader: a
// reader apart from the host's writer, whose values the assertions know.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "binding/binding_result.h"
#include "binding/binding_value.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"

namespace kel::host {

inline std::optional<BindingValue> ParseJsonText(std::string_view text) {
  const std::string terminated(text);
  BindingResult parsed = ::kel::ParseJson(terminated.c_str());
  if (!parsed.Ok()) return std::nullopt;
  return std::move(parsed.Value());
}

inline std::string ToJsonText(const BindingValue& value) { return value.IsEmpty() ? "null" : ::kel::WriteJson(value); }

}  // namespace kel::host
