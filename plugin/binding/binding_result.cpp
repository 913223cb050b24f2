#include "binding/binding_result.h"

#include <string>

namespace kel {

void BindingResult::Fail(std::string_view message) {
  // The message may live in the value about to be cleared.
  std::string copy(message);
  ok_ = false;
  value_.Clear();
  value_.Member("error").SetString(copy);
}

std::string_view BindingResult::Message() const noexcept {
  if (ok_) return {};
  return value_.Find("error").GetString();
}

}  // namespace kel
