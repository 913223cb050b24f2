// The host's value plumbing: JSON text, binding values and the HostValues
// that cross to the plug-in, built with the same readers and conversions the
// plug-in uses.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "binding/binding_value.h"
#include "binding/host_value_abi.h"

namespace kel::host {

// Parses JSON text; on failure returns nothing and sets `error` (when given)
// to the reader's message.
std::optional<BindingValue> ParseJsonText(std::string_view text, std::string* error = nullptr);
// Compact JSON; the empty value is written as null.
std::string ToJsonText(const BindingValue& value);

// A HostValue the host built and owns; released when it goes.
class OwnedHostValue {
 public:
  explicit OwnedHostValue(const BindingValue& value);
  ~OwnedHostValue();
  OwnedHostValue(const OwnedHostValue&) = delete;
  OwnedHostValue& operator=(const OwnedHostValue&) = delete;

  const HostValue& Get() const { return value_; }
  // Hands the value over; the caller releases it with ReleaseHostValue.
  HostValue Take();

 private:
  HostValue value_{};
};

}  // namespace kel::host
