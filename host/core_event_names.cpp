#include "host/core_event_names.h"

#include <vector>

namespace kel::host {
namespace {

constexpr std::string_view kConfigurationSegment = "kel-platform-config";
constexpr std::size_t kSegments = 3;
constexpr std::size_t kConfigurationSegments = 5;

}  // namespace

std::string ResourceEventName(std::string_view uri) {
  std::vector<std::string_view> segments;
  std::size_t start = 0;
  while (start <= uri.size()) {
    const std::size_t slash = std::min(uri.find('/', start), uri.size());
    if (slash > start) segments.push_back(uri.substr(start, slash - start));
    start = slash + 1;
  }
  const std::size_t kept =
      !segments.empty() && segments.front() == kConfigurationSegment ? kConfigurationSegments : kSegments;
  std::string name(kResourceEventName);
  for (std::size_t i = 0; i < segments.size() && i < kept; ++i) {
    name += '_';
    name += segments[i];
  }
  return name;
}

std::string RemoteMessageEventName(std::string_view class_name) {
  std::string name = "OnDrovEvent_";
  name += class_name;
  for (char& c : name) {
    if (c == '.') c = '_';
  }
  return name;
}

}  // namespace kel::host
