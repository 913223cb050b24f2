// A binding value as JSON text.
#pragma once

#include <string>

#include "binding/binding_value.h"

namespace kel {

class BindingRegistry;

// Writes value as JSON. Without a line break (null or empty) the text is
// compact; with one it is indented by 4 spaces per level and every line ends
// in line_break. With a registry, enums are written by their enumerator name
// where one exists; otherwise as integers. An empty root writes the empty
// text; structure members come out in ascending byte order of their keys.
std::string WriteJson(const BindingValue& value, const BindingRegistry* registry = nullptr,
                      const char* line_break = nullptr);

}  // namespace kel
