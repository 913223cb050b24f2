#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "api/response_body_stream.h"
#include "binding/binding_result.h"
#include "binding/binding_registry.h"
#include "binding/host_value_writer.h"

namespace kel {

inline constexpr uint32_t kStatusOk = 200;
inline constexpr uint32_t kStatusBadRequest = 400;
inline constexpr uint32_t kStatusNotFound = 404;
inline constexpr uint32_t kStatusInternalError = 500;

// What a handler fills for one request; the invoke entry turns it into the
// response record. A failed `result` becomes the response's error text.
struct CallResult {
  BindingResult result;
  uint8_t flags = 0;    // copied to the response as it is
  uint32_t format = 0;  // ResultFormat code
  uint32_t status = kStatusOk;
  std::string text;  // copied to the response as it is
  std::vector<std::pair<std::string, std::string>> headers;
  std::unique_ptr<ResponseBodyStream> body;
  // A result already written in the core's form (typed handlers write their
  // native record straight into it); when set it stands for result.Value().
  struct Written {
    HostValueArena arena;
    HostValue value{};
  };
  std::unique_ptr<Written> written;

  // The status and a text value (the result becomes that string; ok). Any
  // body stream set before is released.
  void SetStatusAndText(uint32_t new_status, std::string_view value);
  // Status 404 with the message as the value, or "Not found" when it is empty.
  void SetNotFound(std::string_view message = {});
  // The result written straight from a native record; a failure to write it
  // fails the result with the same message the binding path gives.
  template <typename T>
  void SetWrittenResult(const T& native, const BindingRegistry& registry);
  // The status and a failed result carrying the message.
  void SetFailure(uint32_t new_status, std::string_view message);
};

template <typename T>
void CallResult::SetWrittenResult(const T& native, const BindingRegistry& registry) {
  auto fresh = std::make_unique<Written>();
  HostValueWriter writer(fresh->arena, registry);
  WriteHostValue(writer, fresh->value, native);
  if (!writer.Ok()) {
    result.Fail(writer.Message());
    return;
  }
  written = std::move(fresh);
}

}  // namespace kel
