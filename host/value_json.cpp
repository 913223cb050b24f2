#include "host/value_json.h"

#include "binding/binding_result.h"
#include "binding/host_value_conversion.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"

namespace kel::host {

std::optional<BindingValue> ParseJsonText(std::string_view text, std::string* error) {
  const std::string terminated(text);
  BindingResult parsed = ParseJson(terminated.c_str());
  if (!parsed.Ok()) {
    if (error != nullptr) *error = std::string(parsed.Message());
    return std::nullopt;
  }
  return std::move(parsed.Value());
}

std::string ToJsonText(const BindingValue& value) {
  if (value.IsEmpty()) return "null";
  return WriteJson(value);
}

OwnedHostValue::OwnedHostValue(const BindingValue& value) {
  BindingResult result;
  ToHostValue(result, value, value_);
}

OwnedHostValue::~OwnedHostValue() { ReleaseHostValue(value_); }

HostValue OwnedHostValue::Take() {
  const HostValue taken = value_;
  value_ = HostValue{};
  return taken;
}

}  // namespace kel::host
