#pragma once

#include <cstdint>
#include <string_view>

namespace kel {

// Method codes as the core writes them into request records and as routes
// declare them. kAny in a route accepts every method.
enum class RequestMethod : uint32_t {
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

// Format of a result value in a response record.
enum class ResultFormat : uint32_t {
  kDefault = 0,
  kJson = 1,
  kYaml = 2,
  kMessagePack = 3,
};

// Where a parameter's argument may come from. kAny accepts every place.
enum class ParameterLocation : uint32_t {
  kAny = 0,
  kQuery = 1,
  kPath = 2,
  kHeader = 4,
  kBody = 5,
};

// A code read from the core: anything outside 1-8 means "any".
constexpr RequestMethod MethodFromWire(uint32_t code) {
  return code >= 1 && code <= 8 ? static_cast<RequestMethod>(code) : RequestMethod::kAny;
}

// A format read from a handler's result: anything but 1-3 is the default.
constexpr ResultFormat FormatFromCode(uint32_t code) {
  return code >= 1 && code <= 3 ? static_cast<ResultFormat>(code) : ResultFormat::kDefault;
}

// "GET" for kGet and so on; the empty text for kAny and kCustom.
std::string_view MethodText(RequestMethod method);

}  // namespace kel
