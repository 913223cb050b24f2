#pragma once
// Picks the conversion rules, type codes and type info for a native C++
// type: bool, the fixed-width integers, float, double, std::string,
// std::optional<std::string>, BindingBlob, BindingValue (object), 4-byte
// enums, registered structs, and vectors or text-keyed maps of those.

#include <cfloat>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "binding/binding_result.h"
#include "binding/binding_type.h"
#include "binding/binding_type_info.h"
#include "binding/conversion_rules.h"
#include "binding/static_type_id.h"

namespace kel {

class BindingRegistry;

// A byte-array field.
struct BindingBlob {
  std::vector<std::uint8_t> bytes;
};

// Looks a type up by its static identity (defined with the registry).
const BindingTypeInfo* FindRegisteredType(const BindingRegistry& registry, const StaticTypeId& id) noexcept;

template <typename T>
struct NativeConversion;
template <typename T>
struct NativeHostValue;  // native_host_value.h

template <typename T>
concept BindingInteger = std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char> &&
                         (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8);

template <typename T>
concept BindingEnumType = std::is_enum_v<T> && sizeof(T) == 4;

template <typename T>
struct IsTextKeyedMap : std::false_type {};
template <typename E, typename C, typename A>
struct IsTextKeyedMap<std::map<std::string, E, C, A>> : std::true_type {};
template <typename E, typename H, typename K, typename A>
struct IsTextKeyedMap<std::unordered_map<std::string, E, H, K, A>> : std::true_type {};

template <typename T>
struct IsVector : std::false_type {};
template <typename E, typename A>
struct IsVector<std::vector<E, A>> : std::true_type {};

template <typename T>
concept BindingStruct = std::is_class_v<T> && !IsVector<T>::value && !IsTextKeyedMap<T>::value &&
                        !std::is_same_v<T, std::string> && !std::is_same_v<T, std::optional<std::string>> &&
                        !std::is_same_v<T, BindingValue> && !std::is_same_v<T, BindingBlob>;

// Rules for scalars carry no type info of their own.
struct NoTypeInfo {
  static constexpr BindingType kElementType = BindingType::kNone;
  static const BindingTypeInfo* Info(const BindingRegistry&) noexcept { return nullptr; }
};

template <>
struct NativeConversion<bool> : NoTypeInfo {
  static constexpr BindingType kType = BindingType::kBool;
  static void Assign(BindingResult& result, bool& out, const BindingValue& source, std::string_view name,
                     const BindingTypeInfo*, const BindingRegistry&) {
    conversion::AssignBool(result, out, source, name);
  }
  static void ToValue(BindingResult& result, BindingValue& out, const bool& native, const BindingTypeInfo*,
                      const BindingRegistry&) {
    if (result.Ok()) out.SetBool(native);
  }
};

template <BindingInteger T>
struct NativeConversion<T> : NoTypeInfo {
  static constexpr bool kSigned = std::is_signed_v<T>;
  static constexpr BindingType kType = static_cast<BindingType>((sizeof(T) == 1   ? 2
                                                                 : sizeof(T) == 2 ? 4
                                                                 : sizeof(T) == 4 ? 6
                                                                                  : 8) +
                                                                (kSigned ? 0 : 1));

  static void Assign(BindingResult& result, T& out, const BindingValue& source, std::string_view name,
                     const BindingTypeInfo*, const BindingRegistry&) {
    if constexpr (kSigned) {
      std::int64_t value = 0;
      conversion::AssignSigned(result, value, source, name, std::numeric_limits<T>::min(),
                               std::numeric_limits<T>::max(), BindingTypeName(kType));
      if (result.Ok()) out = static_cast<T>(value);
    } else {
      std::uint64_t value = 0;
      conversion::AssignUnsigned(result, value, source, name, std::numeric_limits<T>::max(), BindingTypeName(kType));
      if (result.Ok()) out = static_cast<T>(value);
    }
  }
  static void ToValue(BindingResult& result, BindingValue& out, const T& native, const BindingTypeInfo*,
                      const BindingRegistry&) {
    if (!result.Ok()) return;
    if constexpr (kSigned)
      out.SetSigned(native);
    else
      out.SetUnsigned(native);
  }
};

template <typename T>
requires std::is_floating_point_v<T> &&(sizeof(T) <= sizeof(double)) struct NativeConversion<T> : NoTypeInfo {
  static constexpr BindingType kType = sizeof(T) == sizeof(float) ? BindingType::kFloat : BindingType::kDouble;
  static void Assign(BindingResult& result, T& out, const BindingValue& source, std::string_view name,
                     const BindingTypeInfo*, const BindingRegistry&) {
    double value = 0;
    constexpr double kMax = std::numeric_limits<T>::max();
    conversion::AssignFloating(result, value, source, name, -kMax, kMax, BindingTypeName(kType));
    if (result.Ok()) out = static_cast<T>(value);
  }
  static void ToValue(BindingResult& result, BindingValue& out, const T& native, const BindingTypeInfo*,
                      const BindingRegistry&) {
    if (result.Ok()) out.SetDouble(native);
  }
};

template <>
struct NativeConversion<std::string> : NoTypeInfo {
  static constexpr BindingType kType = BindingType::kString;
  static void Assign(BindingResult& result, std::string& out, const BindingValue& source, std::string_view name,
                     const BindingTypeInfo*, const BindingRegistry& registry) {
    conversion::AssignString(result, out, source, name, registry);
  }
  static void ToValue(BindingResult& result, BindingValue& out, const std::string& native, const BindingTypeInfo*,
                      const BindingRegistry&) {
    if (result.Ok()) out.SetString(native);
  }
};

template <>
struct NativeConversion<std::optional<std::string>> : NoTypeInfo {
  static constexpr BindingType kType = BindingType::kString;
  static void Assign(BindingResult& result, std::optional<std::string>& out, const BindingValue& source,
                     std::string_view name, const BindingTypeInfo*, const BindingRegistry& registry) {
    std::string text;
    conversion::AssignString(result, text, source, name, registry);
    if (result.Ok()) out = std::move(text);
  }
  static void ToValue(BindingResult& result, BindingValue& out, const std::optional<std::string>& native,
                      const BindingTypeInfo*, const BindingRegistry&) {
    if (result.Ok() && native.has_value()) out.SetString(*native);
  }
};

template <>
struct NativeConversion<BindingBlob> : NoTypeInfo {
  static constexpr BindingType kType = BindingType::kBlob;
  static void Assign(BindingResult& result, BindingBlob& out, const BindingValue& source, std::string_view name,
                     const BindingTypeInfo*, const BindingRegistry&) {
    conversion::AssignBlob(result, out.bytes, source, name);
  }
  static void ToValue(BindingResult& result, BindingValue& out, const BindingBlob& native, const BindingTypeInfo*,
                      const BindingRegistry&) {
    if (result.Ok()) out.SetBlob(native.bytes.data(), native.bytes.size());
  }
};

template <>
struct NativeConversion<BindingValue> : NoTypeInfo {
  static constexpr BindingType kType = BindingType::kObject;
  static void Assign(BindingResult& result, BindingValue& out, const BindingValue& source, std::string_view,
                     const BindingTypeInfo*, const BindingRegistry&) {
    if (result.Ok()) out = source;
  }
  static void ToValue(BindingResult& result, BindingValue& out, const BindingValue& native, const BindingTypeInfo*,
                      const BindingRegistry&) {
    if (result.Ok()) out = native;
  }
};

// Enums and structs carry the type info registered for their static identity.
template <typename T>
struct RegisteredTypeInfo {
  static constexpr BindingType kElementType = BindingType::kNone;
  static const BindingTypeInfo* Info(const BindingRegistry& registry) noexcept {
    return FindRegisteredType(registry, StaticTypeOf<T>());
  }
};

template <BindingEnumType T>
struct NativeConversion<T> : RegisteredTypeInfo<T> {
  static constexpr BindingType kType = BindingType::kEnum;
  static void Assign(BindingResult& result, T& out, const BindingValue& source, std::string_view name,
                     const BindingTypeInfo* info, const BindingRegistry&) {
    std::int32_t value = 0;
    conversion::AssignEnum(result, value, source, name, info);
    if (result.Ok()) out = static_cast<T>(value);
  }
  static void ToValue(BindingResult& result, BindingValue& out, const T& native, const BindingTypeInfo*,
                      const BindingRegistry&) {
    if (result.Ok()) out.SetEnum(static_cast<std::int32_t>(native), &StaticTypeOf<T>());
  }
};

template <BindingStruct T>
struct NativeConversion<T> : RegisteredTypeInfo<T> {
  static constexpr BindingType kType = BindingType::kStruct;
  static void Assign(BindingResult& result, T& out, const BindingValue& source, std::string_view name,
                     const BindingTypeInfo* info, const BindingRegistry& registry) {
    conversion::AssignStruct(result, &out, source, name, info, registry);
  }
  static void ToValue(BindingResult& result, BindingValue& out, const T& native, const BindingTypeInfo* info,
                      const BindingRegistry& registry) {
    conversion::StructToValue(result, out, &native, info, registry);
  }
};

// Element types of vectors and maps: a scalar, an enum or a struct.
template <typename E>
concept BindingElement = !IsVector<E>::value && !IsTextKeyedMap<E>::value && !std::is_same_v<E, bool>;

template <typename E, typename A>
requires BindingElement<E>
struct NativeConversion<std::vector<E, A>> {
  using Element = NativeConversion<E>;
  static constexpr BindingType kType = BindingType::kVector;
  static constexpr BindingType kElementType = Element::kType;
  static const BindingTypeInfo* Info(const BindingRegistry& registry) noexcept { return Element::Info(registry); }

  // The vector is emptied first, whatever the input; empty elements keep
  // their default.
  static void Assign(BindingResult& result, std::vector<E, A>& out, const BindingValue& source, std::string_view name,
                     const BindingTypeInfo* info, const BindingRegistry& registry) {
    if (!result.Ok()) return;
    out.clear();
    if (!conversion::IsCollectionFor(result, source, name)) return;
    std::span<const BindingValue> elements = source.Elements();
    out.resize(elements.size());
    for (std::size_t i = 0; i < elements.size() && result.Ok(); ++i) {
      if (!elements[i].IsEmpty()) Element::Assign(result, out[i], elements[i], name, info, registry);
    }
  }
  static void ToValue(BindingResult& result, BindingValue& out, const std::vector<E, A>& native,
                      const BindingTypeInfo* info, const BindingRegistry& registry) {
    if (!conversion::StartCollection(result, out, native.size())) return;
    for (const E& element : native) {
      Element::ToValue(result, out.Append(), element, info, registry);
      if (!result.Ok()) return;  // the failure replaced the tree `out` lived in
    }
  }
};

template <typename M>
requires IsTextKeyedMap<M>::value && BindingElement<typename M::mapped_type>
struct NativeConversion<M> {
  using Element = NativeConversion<typename M::mapped_type>;
  static constexpr BindingType kType = BindingType::kMap;
  static constexpr BindingType kElementType = Element::kType;
  static const BindingTypeInfo* Info(const BindingRegistry& registry) noexcept { return Element::Info(registry); }

  static void Assign(BindingResult& result, M& out, const BindingValue& source, std::string_view name,
                     const BindingTypeInfo* info, const BindingRegistry& registry) {
    if (!result.Ok()) return;
    out.clear();
    if (!conversion::IsStructureForMap(result, source, name)) return;
    if constexpr (requires { out.reserve(std::size_t{}); }) out.reserve(source.Size());
    for (auto [key, member] : source.Members()) {
      Element::Assign(result, out[std::string(key)], member, name, info, registry);
      if (!result.Ok()) return;
    }
  }
  static void ToValue(BindingResult& result, BindingValue& out, const M& native, const BindingTypeInfo* info,
                      const BindingRegistry& registry) {
    if (!result.Ok()) return;
    out.MakeStructure();
    for (const auto& [key, element] : native) {
      Element::ToValue(result, out.Member(key), element, info, registry);
      if (!result.Ok()) return;
    }
  }
};

// The BindingTypeId of a native type, with the type info looked up now.
template <typename T>
BindingTypeId BindingTypeIdOf(const BindingRegistry& registry) noexcept {
  return {NativeConversion<T>::kType, NativeConversion<T>::kElementType, NativeConversion<T>::Info(registry)};
}

// The converter object a field of native type T carries.
template <typename T>
class TypedConverter final : public BindingConverter {
 public:
  void Assign(BindingResult& result, void* native, const BindingValue& source, std::string_view name,
              const BindingTypeInfo* info, const BindingRegistry& registry) const override {
    NativeConversion<T>::Assign(result, *static_cast<T*>(native), source, name, info, registry);
  }
  void ToValue(BindingResult& result, BindingValue& out, const void* native, const BindingTypeInfo* info,
               const BindingRegistry& registry) const override {
    NativeConversion<T>::ToValue(result, out, *static_cast<const T*>(native), info, registry);
  }
  bool WriteHost(HostValueWriter& writer, HostValue& out, const void* native,
                 const BindingTypeInfo* info) const override {
    return NativeHostValue<T>::Write(writer, out, *static_cast<const T*>(native), info);
  }
};

}  // namespace kel
