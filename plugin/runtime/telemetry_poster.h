#pragma once

#include <future>
#include <map>
#include <string>
#include <string_view>

#include "api/maybe_type.h"

namespace kel {

class CorePort;

// Sends telemetry events to the core's telemetry resource. Owned by the
// subscription core and replaced at every Initialize.
class TelemetryPoster {
 public:
  explicit TelemetryPoster(CorePort& plugin) : plugin_(plugin) {}

  // POSTs `values` to "/telemetry/v1/events/" followed by the event name.
  // The request is made before this returns, so the future is complete.
  std::future<MaybeType<Failure, Nothing>> Post(std::string_view eventName,
                                                const std::map<std::string, std::string>& values);

 private:
  CorePort& plugin_;
};

}  // namespace kel
