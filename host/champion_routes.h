// The plug-in's eight routes as the core knows them: the host's own literal
// table of their function names and path templates, and the core's match of
// a request path against them. The host picks the plug-in function by this
// table, never by the plug-in's own matcher.
#pragma once

#include <span>
#include <string_view>

namespace kel::host {

struct ChampionRoute {
  std::string_view function_name;
  std::string_view path_template;
};

// The route whose template matches the whole path (the query left out): each
// "{name}" takes one path segment, possibly empty. Null when none does.
const ChampionRoute* MatchChampionRoute(std::string_view path);

// The path without its query string.
std::string_view PathWithoutQuery(std::string_view target);

}  // namespace kel::host
