// What a step of the host gives back: its value, or the message that says
// why there is none. Every fallible step of the host answers in this shape.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace kel::host {

struct Failure {
  std::string message;
};

// The value of a step that has nothing to give back but success.
struct Done {};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}                      // NOLINT: a value is a success
  Result(Failure failure) : message_(std::move(failure.message)) {}  // NOLINT

  bool Ok() const { return value_.has_value(); }
  T& Value() { return *value_; }
  const T& Value() const { return *value_; }
  // Empty on success.
  const std::string& Message() const { return message_; }

 private:
  std::optional<T> value_;
  std::string message_;
};

using Outcome = Result<Done>;

}  // namespace kel::host
