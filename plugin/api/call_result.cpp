#include "api/call_result.h"

namespace kel {

void CallResult::SetStatusAndText(uint32_t new_status, std::string_view value) {
  body.reset();
  written.reset();
  status = new_status;
  result = BindingResult();
  result.Value().SetString(value);
}

void CallResult::SetNotFound(std::string_view message) {
  SetStatusAndText(kStatusNotFound, message.empty() ? std::string_view("Not found") : message);
}

void CallResult::SetFailure(uint32_t new_status, std::string_view message) {
  status = new_status;
  result.Fail(message);
}

}  // namespace kel
