#pragma once
// StaticTypeId: the identity of a native or built-in type, one static record
// per type. Native types are identified by the signature text of
// StaticType<T>::Name (the compiler's pretty name of that function) and its
// FNV-1a hash; types identified by number only carry the name "#%08X".

#include <cstdint>

#include "binding/fnv1a.h"

namespace kel {

struct StaticTypeId {
  std::uint32_t identifier;
  const char* name;     // signature text, or null for a type identified by number
  char nameBuffer[10];  // "#%08X" for a type identified by number

  const char* Name() const noexcept { return name != nullptr ? name : nameBuffer; }
};

// The one identity that is never entered in a registry's map by identifier.
inline constexpr std::uint32_t kReservedStaticTypeIdentifier = 468184974u;

constexpr StaticTypeId NumberedStaticTypeId(std::uint32_t identifier) noexcept {
  constexpr char kDigits[] = "0123456789ABCDEF";
  StaticTypeId id{identifier, nullptr, {}};
  id.nameBuffer[0] = '#';
  for (int i = 0; i < 8; ++i) id.nameBuffer[1 + i] = kDigits[(identifier >> (28 - 4 * i)) & 0xF];
  id.nameBuffer[9] = '\0';
  return id;
}

// Specialise with `static constexpr std::uint32_t value` to identify a type
// by number instead of by its signature text.
template <typename T>
struct StaticTypeNumber {};

template <typename T>
concept NumberedStaticType = requires {
  StaticTypeNumber<T>::value;
};

template <typename T>
struct StaticType {
  static const char* Name() noexcept { return __PRETTY_FUNCTION__; }
};

template <typename T>
const StaticTypeId& StaticTypeOf() noexcept {
  if constexpr (NumberedStaticType<T>) {
    static constexpr StaticTypeId id = NumberedStaticTypeId(StaticTypeNumber<T>::value);
    return id;
  } else {
    static const StaticTypeId id{Fnv1a32(StaticType<T>::Name()), StaticType<T>::Name(), {}};
    return id;
  }
}

// The identity reserved for values that stand for no registered type.
inline constexpr StaticTypeId kReservedStaticTypeId = NumberedStaticTypeId(kReservedStaticTypeIdentifier);

}  // namespace kel
