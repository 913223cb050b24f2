// Binding values built in one expression, and results read back in one: the
// scalars of each kind, structures from {key, value} lists, a result as
// compact JSON (which shows kinds and structure at once) or as its failure.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "binding/binding_result.h"
#include "binding/binding_value.h"
#include "serialization/json_writer.h"

namespace kel::testing {

inline BindingValue TextValue(const char* text) {
  BindingValue value;
  value.SetString(text);
  return value;
}
inline BindingValue SignedValue(std::int64_t number) {
  BindingValue value;
  value.SetSigned(number);
  return value;
}
inline BindingValue UnsignedValue(std::uint64_t number) {
  BindingValue value;
  value.SetUnsigned(number);
  return value;
}
inline BindingValue FloatValue(double number) {
  BindingValue value;
  value.SetDouble(number);
  return value;
}
inline BindingValue BoolValue(bool flag) {
  BindingValue value;
  value.SetBool(flag);
  return value;
}
inline BindingValue EnumValue(std::int32_t number, const StaticTypeId* type = nullptr) {
  BindingValue value;
  value.SetEnum(number, type);
  return value;
}
inline BindingValue StructureValue(std::initializer_list<std::pair<std::string_view, BindingValue>> members) {
  BindingValue value;
  value.MakeStructure();
  for (const auto& [key, member] : members) value.Member(key) = member;
  return value;
}

// The kind of each element of a collection, each name followed by a space.
inline std::string KindsOf(const BindingValue& collection) {
  std::string kinds;
  for (const BindingValue& element : collection.Elements())
    kinds += std::string(BindingValueKindName(element.Kind())) + " ";
  return kinds;
}
// The value of a result that must succeed, as compact JSON.
inline std::string JsonOf(const BindingResult& result) {
  EXPECT_TRUE(result.Ok()) << result.Message();
  return WriteJson(result.Value());
}
// The message of a result that must fail.
inline std::string FailureOf(const BindingResult& result) {
  EXPECT_FALSE(result.Ok());
  return std::string(result.Message());
}
// The message of a MaybeType that must hold a failure.
template <typename Maybe>
std::string FailureMessageOf(const Maybe& maybe) {
  if (!maybe.IsFailure()) return "<no failure>";
  return std::string(maybe.GetFailure().Message());
}

}  // namespace kel::testing
