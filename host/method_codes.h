// The method codes the core writes into request records and reads from the
// plug-in's function descriptors, as the host knows them.
#pragma once

#include <cstdint>
#include <string_view>

namespace kel::host {

enum class MethodCode : uint32_t {
  kAny = 0,
  kDelete = 1,
  kGet = 2,
  kHead = 3,
  kOptions = 4,
  kPatch = 5,
  kPost = 6,
  kPut = 7,
  kCustom = 8,  // named by a text beside the code
};

// A code read from a record: anything outside 1-8 means "any".
constexpr MethodCode MethodFromCode(uint32_t code) {
  return code >= 1 && code <= 8 ? static_cast<MethodCode>(code) : MethodCode::kAny;
}

// "GET" for kGet and so on; the empty text for kAny and kCustom.
constexpr std::string_view MethodName(MethodCode method) {
  constexpr std::string_view kNames[] = {"", "DELETE", "GET", "HEAD", "OPTIONS", "PATCH", "POST", "PUT", ""};
  const auto index = static_cast<uint32_t>(method);
  return index < 9 ? kNames[index] : std::string_view();
}

}  // namespace kel::host
