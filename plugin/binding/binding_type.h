#pragma once
// Type codes of bound fields, arguments, results and elements.

#include <cstdint>
#include <string_view>

namespace kel {

struct BindingTypeInfo;

enum class BindingType : std::int32_t {
  kNone = 0,
  kBool = 1,
  kInt8 = 2,
  kUint8 = 3,
  kInt16 = 4,
  kUint16 = 5,
  kInt32 = 6,
  kUint32 = 7,
  kInt64 = 8,
  kUint64 = 9,
  kFloat = 10,
  kDouble = 11,
  kString = 12,
  kObject = 13,
  kBlob = 14,
  kVector = 15,
  kEnum = 16,
  kStruct = 17,
  kCallback = 18,
  kMap = 19,
};

// The name printed for a type code in messages ("" for none and unknown codes).
std::string_view BindingTypeName(BindingType type) noexcept;

// The type of a field, argument, result or element. One level of nesting: a
// vector or map whose elements are a scalar, an enum or a struct.
struct BindingTypeId {
  BindingType type = BindingType::kNone;
  BindingType elementType = BindingType::kNone;
  const BindingTypeInfo* info = nullptr;  // struct or enum (or their vector or map)
};

}  // namespace kel
