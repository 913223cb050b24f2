#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "api/compiled_route.h"
#include "api/request_codes.h"

namespace kel {

// The standard expression engine recurses once per character it matches
// (about 320 bytes of stack each in an optimised build), so a long path can
// overflow the stack of the core thread that asked. Longer paths are refused
// before any matching, as if no route fitted; 2 KB needs roughly 650 KB of
// stack, well within the 1 MB the core's threads are given at least.
inline constexpr size_t kMaxMatchedPathLength = 2048;

// What a route declares about the requests it accepts.
struct RouteEntry {
  const CompiledRoute* route;
  RequestMethod method;
  std::string_view custom_method;  // compared only for RequestMethod::kCustom
};

// What a request brings to the match.
struct RequestLine {
  RequestMethod method;
  std::string_view custom_method;
  std::string_view path;  // the part before the first "?"
};

struct RouteMatch {
  size_t index;  // into the entries given to MatchRoute
  PathValues values;
};

// Returns the part of a request path that routes are matched against: the
// text before the first "?". The rest is the query string.
std::string_view PathWithoutQuery(std::string_view path);

// Picks the entry that fits the request: its template matches the whole
// path, its method fits, and among all such entries its captured values are
// the shortest in total (the earlier entry on a tie). An entry that matches
// with nothing captured ends the search.
std::optional<RouteMatch> MatchRoute(std::span<const RouteEntry> entries, const RequestLine& request);

}  // namespace kel
