// A binding value as JSON text.
#pragma once

#include <string>

#include "binding/binding_value.h"

namespace kel {

class BindingRegistry;

// Writes value as JSON. Without a line break (null or empty) the text is
// compact; with one it is indented by 4 spaces per level and every line ends
// in line_break. Enums are written as integers. An empty root writes the
// empty text; structure members come out in ascending byte order of their
// keys.
std::string WriteJson(const BindingValue& value, const char* line_break = nullptr);

// The same, but an enum whose value has an enumerator name in the registry
// is written as that name.
std::string WriteJson(const BindingValue& value, const BindingRegistry& registry, const char* line_break = nullptr);

}  // namespace kel
