#pragma once
// The outcome of every conversion: a value plus an ok flag. A failure is the
// value {"error": message}; converters return at once when the flag is
// already clear, so the first failure of a walk is the one reported.

#include <string_view>

#include "binding/binding_value.h"

namespace kel {

class [[nodiscard]] BindingResult {
 public:
  BindingResult() noexcept = default;
  BindingResult(const BindingResult&) = default;
  BindingResult& operator=(const BindingResult&) = default;
  BindingResult(BindingResult&& other) noexcept : value_(std::move(other.value_)), ok_(other.ok_) {}
  BindingResult& operator=(BindingResult&& other) noexcept {
    ok_ = other.ok_;
    value_ = std::move(other.value_);
    return *this;
  }

  bool Ok() const noexcept { return ok_; }
  BindingValue& Value() noexcept { return value_; }
  const BindingValue& Value() const noexcept { return value_; }

  // Clears the value and leaves {"error": message} with the flag clear; a
  // second failure replaces the first message.
  void Fail(std::string_view message);
  // The failure message; the empty text when ok or when the value does not
  // carry a string member "error".
  std::string_view Message() const noexcept;

 private:
  BindingValue value_;
  bool ok_ = true;
};

}  // namespace kel
