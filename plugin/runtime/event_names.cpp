#include "runtime/event_names.h"

#include <algorithm>

namespace kel {

std::string ResourceEventName(std::string_view resourcePath) {
  std::string name(kJsonApiEventName);
  std::size_t entries = 1;
  std::size_t keep = 4;
  std::size_t pos = 0;
  while (entries < keep) {
    pos = resourcePath.find_first_not_of('/', pos);
    if (pos == std::string_view::npos) break;
    const std::size_t end = std::min(resourcePath.find('/', pos), resourcePath.size());
    const std::string_view part = resourcePath.substr(pos, end - pos);
    if (entries == 1 && part == "kel-platform-config") keep = 6;
    name += '_';
    name += part;
    ++entries;
    pos = end;
  }
  return name;
}

std::string DrovEventName(std::string_view className) {
  std::string name = "OnDrovEvent_";
  name += className;
  std::replace(name.begin(), name.end(), '.', '_');
  return name;
}

}  // namespace kel
