#pragma once
// The assign (value -> native) and to-value (native -> value) rules that do
// not depend on the native C++ type, with their messages. The typed layer in
// native_conversion.h picks one per native type. Every rule returns at once
// when the result has already failed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_result.h"
#include "binding/binding_type.h"

namespace kel {

class BindingRegistry;
struct BindingTypeInfo;

namespace conversion {

// Fails with "A value for '%1' is required." when the source is empty.
[[nodiscard]] bool Present(BindingResult& result, const BindingValue& source, std::string_view name);

void AssignBool(BindingResult& result, bool& out, const BindingValue& source, std::string_view name);
void AssignSigned(BindingResult& result, std::int64_t& out, const BindingValue& source, std::string_view name,
                  std::int64_t min, std::int64_t max, std::string_view typeName);
void AssignUnsigned(BindingResult& result, std::uint64_t& out, const BindingValue& source, std::string_view name,
                    std::uint64_t max, std::string_view typeName);
void AssignFloating(BindingResult& result, double& out, const BindingValue& source, std::string_view name, double min,
                    double max, std::string_view typeName);
void AssignString(BindingResult& result, std::string& out, const BindingValue& source, std::string_view name,
                  const BindingRegistry& registry);
void AssignBlob(BindingResult& result, std::vector<std::uint8_t>& out, const BindingValue& source,
                std::string_view name);
void AssignEnum(BindingResult& result, std::int32_t& out, const BindingValue& source, std::string_view name,
                const BindingTypeInfo* info);
void AssignStruct(BindingResult& result, void* out, const BindingValue& source, std::string_view name,
                  const BindingTypeInfo* info, const BindingRegistry& registry);

// Container checks: fail with the vector or map message when the source is
// not a collection or structure.
[[nodiscard]] bool IsCollectionFor(BindingResult& result, const BindingValue& source, std::string_view name);
[[nodiscard]] bool IsStructureForMap(BindingResult& result, const BindingValue& source, std::string_view name);
// Zero or empty by the omit-empty rule.
bool IsZeroOrEmpty(const BindingValue& value);
// Makes `out` a collection with room for n elements, or fails.
[[nodiscard]] bool StartCollection(BindingResult& result, BindingValue& out, std::size_t n);

void StructToValue(BindingResult& result, BindingValue& out, const void* native, const BindingTypeInfo* info,
                   const BindingRegistry& registry);

}  // namespace conversion
}  // namespace kel
