#pragma once
// Conversions between binding values and the core's HostValue, and the
// release of a HostValue the plug-in built. All three walk with an explicit
// work list, so deep trees cannot exhaust the stack, and none throws.

#include <string_view>

#include "binding/binding_result.h"
#include "binding/host_value_abi.h"

namespace kel {

class BindingRegistry;
class HostValueStorage;

// Builds `out` (owned strings, blobs, arrays and maps; map keys owned, in key
// order). Enums become their enumerator's name when a registry is given and
// knows it, otherwise the signed value. Fails the result only when memory
// runs out; `out` is then null.
void ToHostValue(BindingResult& result, const BindingValue& value, HostValue& out,
                 const BindingRegistry* registry = nullptr);

// The same, with the memory taken from `storage` (an arena, whose owner then
// releases the value; on failure `out` is null and what was taken stays with
// the storage).
void ToHostValue(BindingResult& result, const BindingValue& value, HostValue& out, const BindingRegistry* registry,
                 HostValueStorage& storage);

// Builds result.Value() from a HostValue; `name` is used in the failure text.
// Texts are copied up to their NUL.
void FromHostValue(BindingResult& result, const HostValue& value, std::string_view name);

// Frees what a plug-in-built HostValue owns and zeroes it.
void ReleaseHostValue(HostValue& value) noexcept;

}  // namespace kel
