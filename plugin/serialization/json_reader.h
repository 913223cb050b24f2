// JSON text into a binding value.
#pragma once

#include "binding/binding_result.h"

namespace kel {

// Parses the NUL-terminated text. An empty or blank text (or none) is an
// empty value, not an error. Failures read "Error: <reason> at offset <n>." and keep
// nothing of the partly built value.
[[nodiscard]] BindingResult ParseJson(const char* text);

}  // namespace kel
