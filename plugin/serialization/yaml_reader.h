// YAML text into a binding value (one document; the plug-in never writes
// YAML).
#pragma once

#include <cstddef>

#include "binding/binding_result.h"

namespace kel {

// Parses text[0, length). The empty text (text may then be null) is an
// empty value. A second
// document after a non-empty first one is refused. Failures name the line
// and column (from 1) of the event at fault; libyaml's own errors keep
// libyaml's positions (from 0).
[[nodiscard]] BindingResult ParseYaml(const char* text, size_t length);

}  // namespace kel
