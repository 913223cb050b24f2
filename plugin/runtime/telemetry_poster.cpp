#include "runtime/telemetry_poster.h"

#include "api/outbound_request.h"

namespace kel {

std::future<MaybeType<Failure, Nothing>> TelemetryPoster::Post(std::string_view eventName,
                                                               const std::map<std::string, std::string>& values) {
  std::string url = "/telemetry/v1/events/";
  url += eventName;
  std::promise<MaybeType<Failure, Nothing>> promise;
  promise.set_value(kel::Post(plugin_, RequestMethod::kPost, url, values));
  return promise.get_future();
}

}  // namespace kel
