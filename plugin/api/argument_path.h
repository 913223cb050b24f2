#pragma once

#include <string_view>

#include "binding/binding_result.h"

namespace kel {

// Index segments beyond this are refused as out of range: an index makes the
// collection grow to hold it, and one absurd index in a request would
// otherwise exhaust memory.
inline constexpr size_t kMaxArgumentIndex = 65535;

// Finds (creating as needed) the value that an argument named
// "<parameter>.<rest>" addresses inside the parameter's slot. `rest` is the
// text after the first "."; its "."-separated segments are indices when they
// start with a digit (decimal, "0x" hexadecimal or leading-"0" octal) and
// member names otherwise. Returns null and fails `call` on a bad index.
BindingValue* ResolveArgumentPath(BindingValue& slot, std::string_view rest, BindingResult& call);

}  // namespace kel
