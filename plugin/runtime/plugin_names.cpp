#include "runtime/plugin_names.h"

#include "diagnostics/log.h"
#include "diagnostics/positional_format.h"

namespace kel {

PluginNames GetFullNameFromShortNameAndType(std::string_view short_name, const PluginType& type) {
  const std::string_view type_name = type.name ? type.name : "";
  std::string_view prefix;
  if (type_name == "backend") {
    prefix = "zbt-be-";
  } else if (type_name == "frontend") {
    prefix = "zbt-fe-";
  } else {
    prefix = "zbt-xx-";
    const std::string problem = FormatMessage(
        "GetFullNameFromShortNameAndType(\"%1\", \"%2\") called with an unknown type", short_name, type_name);
    log::Write(log::kError, log::kGroupDbg, "            Plugin Manager| %s", problem.c_str());
  }
  PluginNames names;
  names.full_name = std::string(prefix) + std::string(short_name);
  names.short_name = short_name;
  names.type_name = type_name;
  names.type_second = type.second ? type.second : "";
  return names;
}

}  // namespace kel
