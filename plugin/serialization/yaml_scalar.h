// How one YAML scalar becomes a binding value: by its tag when it has one,
// otherwise quoted scalars are strings and plain ones are resolved to null,
// numbers, booleans or strings by their text.
#pragma once

#include <cstddef>

#include "binding/binding_result.h"

namespace kel {

// Writes the scalar into target or fails result. tag is null for an
// untagged scalar; text holds length bytes and a terminating NUL.
void ResolveYamlScalar(BindingResult& result, BindingValue& target, const char* tag, const char* text, size_t length,
                       bool quoted);

}  // namespace kel
