#include "api/route_match.h"

namespace kel {
namespace {

bool MethodFits(const RouteEntry& entry, const RequestLine& request) {
  if (entry.method == RequestMethod::kAny) return true;
  if (entry.method != request.method) return false;
  return entry.method != RequestMethod::kCustom || entry.custom_method == request.custom_method;
}

}  // namespace

std::string_view PathWithoutQuery(std::string_view path) { return path.substr(0, path.find('?')); }

std::optional<RouteMatch> MatchRoute(std::span<const RouteEntry> entries, const RequestLine& request) {
  if (request.path.size() > kMaxMatchedPathLength) return std::nullopt;
  std::optional<RouteMatch> best;
  size_t best_length = 0;
  PathValues values;
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::optional<size_t> length = entries[i].route->Match(request.path, values);
    if (!length || !MethodFits(entries[i], request)) continue;
    if (!best || *length < best_length) {
      best = RouteMatch{i, std::move(values)};
      best_length = *length;
      values = PathValues();
    }
    if (*length == 0) break;
  }
  return best;
}

}  // namespace kel
