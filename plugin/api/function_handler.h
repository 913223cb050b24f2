#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "api/call_result.h"
#include "api/request_codes.h"
#include "binding/binding_value.h"

namespace kel {

class BindingRegistry;

// Request headers by name.
using HeaderMap = std::map<std::string, std::string, std::less<>>;

// What a handler that asks for it learns about the request besides its
// arguments. Valid during Run only.
struct RequestInfo {
  uint32_t request_token;
  uint64_t time;  // wall clock, milliseconds since 1970-01-01 UTC
  std::string_view path;
  const BindingRegistry* registry;
  RequestMethod method;
  std::string_view custom_method;  // with RequestMethod::kCustom
  const HeaderMap* headers;
};

// Whatever a handler keeps between Prepare and Run (its native arguments).
class CallState {
 public:
  virtual ~CallState() = default;
};

// The code behind a bound function. One handler serves every request of its
// function, possibly on several core threads at once, so it keeps per-call
// data in the CallState only.
class FunctionHandler {
 public:
  virtual ~FunctionHandler() = default;

  // Converts the bound arguments (one slot per parameter, in order) into the
  // handler's own form. A conversion failure fails call.result.
  virtual std::unique_ptr<CallState> Prepare(CallResult& call, std::span<BindingValue> arguments,
                                             uint32_t request_token) = 0;
  // Runs the function and fills `call`. `info` is null unless
  // TakesRequestInfo() is true.
  virtual void Run(CallResult& call, const RequestInfo* info, CallState& state, uint32_t request_token) = 0;
  virtual bool TakesRequestInfo() const { return false; }
};

}  // namespace kel
