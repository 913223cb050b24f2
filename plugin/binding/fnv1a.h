#pragma once
// The one string hash of the plug-in: 32-bit FNV-1a. Interned strings, name
// tables and parameter lookups all use it, so equal texts hash alike
// everywhere.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kel {

inline constexpr std::uint32_t kFnv1aOffsetBasis = 0x811C9DC5u;
inline constexpr std::uint32_t kFnv1aPrime = 16777619u;

constexpr std::uint32_t Fnv1a32(const void* data, std::size_t size, std::uint32_t hash = kFnv1aOffsetBasis) noexcept {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * kFnv1aPrime;
  return hash;
}

constexpr std::uint32_t Fnv1a32(std::string_view text) noexcept {
  std::uint32_t hash = kFnv1aOffsetBasis;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * kFnv1aPrime;
  return hash;
}

}  // namespace kel
