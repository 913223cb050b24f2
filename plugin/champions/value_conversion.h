#pragma once
// A binding value converted into a native record through the type registry,
// for the handlers that receive free-form values.

#include <optional>
#include <string_view>

#include "binding/binding_registry.h"

namespace kel::champions {

// Nothing when the value does not convert; `name` is the one name that a
// conversion message would show.
template <typename T>
std::optional<T> ConvertValue(const BindingRegistry& registry, const BindingValue& value,
                              std::string_view name = "<value>") {
  T converted{};
  BindingResult result;
  registry.Assign(result, converted, value, name);
  if (!result.Ok()) return std::nullopt;
  return converted;
}

}  // namespace kel::champions
