#pragma once

#include <type_traits>
#include <utility>
#include <variant>

#include "api/failure.h"

namespace kel {

// The result type of operations that produce nothing but may fail.
struct Nothing {};

// Either a result of T or a failure of E (in this code base always
// `Failure`): MaybeType<Failure, T>. Outward operations return it instead of
// throwing; the caller decides what to log. Reading the side that is not
// held is a programming error and throws std::bad_variant_access.
template <typename E, typename T>
class [[nodiscard]] MaybeType {
  static_assert(!std::is_same_v<E, T>, "a result and a failure must be told apart");

 public:
  MaybeType() requires std::is_default_constructible_v<T> : state_(std::in_place_index<0>) {}
  MaybeType(T value) : state_(std::in_place_index<0>, std::move(value)) {}      // NOLINT: implicit by design
  MaybeType(E failure) : state_(std::in_place_index<1>, std::move(failure)) {}  // NOLINT: implicit by design

  bool IsFailure() const { return state_.index() == 1; }
  explicit operator bool() const { return !IsFailure(); }

  T& Value() & { return std::get<0>(state_); }
  const T& Value() const& { return std::get<0>(state_); }
  T&& Value() && { return std::get<0>(std::move(state_)); }

  const E& GetFailure() const& { return std::get<1>(state_); }
  E&& GetFailure() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, E> state_;
};

}  // namespace kel
