// The names a plug-in goes by: its short name ("kel-champions"), its type
// ("backend") and the full name formed from both ("zbt-be-kel-champions").
#pragma once

#include <string>
#include <string_view>

namespace kel {

struct PluginType {
  const char* name;
  const char* second;
};

inline constexpr PluginType kBackendPluginType{"backend", ""};
inline constexpr PluginType kFrontendPluginType{"frontend", ""};

struct PluginNames {
  std::string full_name;
  std::string short_name;
  std::string type_name;
  std::string type_second;
};

// Prefixes the short name with "zbt-be-" (type "backend"), "zbt-fe-"
// ("frontend") or, for any other type name (compared exactly), "zbt-xx-"
// after logging an error; start-up goes on in every case.
PluginNames GetFullNameFromShortNameAndType(std::string_view short_name, const PluginType& type);

}  // namespace kel
