// The host's own HostValue encoder and decoder: JSON written straight from
// a HostValue the plug-in built (responses, published events, arguments),
// and HostValues built from the host's JSON for the plug-in to read
// (outbound answers, delivered events), released by the host.
#pragma once

#include <string>

#include "binding/host_value_abi.h"
#include "host/json.h"
#include "host/json_text_writer.h"

namespace kel::host {

// Writes `value` as JSON: scalars as themselves, strings and blobs as text,
// arrays and maps in their order; a kind the host does not know is null.
// Walks with a stack of its own, so no depth of nesting recurses.
void WriteHostValue(JsonTextWriter& writer, const HostValue& value);
// The text starts at the size of the calling thread's last one: growing it
// by doubling to the 2.4 MB of the champion list cost more in copies and
// page faults than writing it.
std::string HostValueToJson(const HostValue& value);
// The member `key` of a map value; null when absent or not a map.
const HostValue* FindHostValueMember(const HostValue& map, std::string_view key);

// A HostValue the host built from JSON: owned strings, arrays and maps
// (keys owned), all freed by ReleaseEncodedHostValue.
HostValue EncodeHostValue(const JsonValue& value);
void ReleaseEncodedHostValue(HostValue& value) noexcept;

// An encoded HostValue released when it goes.
class EncodedHostValue {
 public:
  explicit EncodedHostValue(const JsonValue& value) : value_(EncodeHostValue(value)) {}
  ~EncodedHostValue() { ReleaseEncodedHostValue(value_); }
  EncodedHostValue(const EncodedHostValue&) = delete;
  EncodedHostValue& operator=(const EncodedHostValue&) = delete;

  const HostValue& Get() const { return value_; }
  // Hands the value over; the caller releases it with ReleaseEncodedHostValue.
  HostValue Take() {
    const HostValue taken = value_;
    value_ = HostValue{};
    return taken;
  }

 private:
  HostValue value_;
};

}  // namespace kel::host
