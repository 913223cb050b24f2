#include "host/champion_routes.h"

namespace kel::host {
namespace {

constexpr ChampionRoute kRoutes[] = {
    {"GetKelChampionsV1InventoriesBySummonerIdChampions", "/kel-champions/v1/inventories/{summonerId}/champions"},
    {"GetKelChampionsV1InventoriesBySummonerIdChampionsMinimal",
     "/kel-champions/v1/inventories/{summonerId}/champions-minimal"},
    {"GetKelChampionsV1InventoriesBySummonerIdSkinsMinimal",
     "/kel-champions/v1/inventories/{summonerId}/skins-minimal"},
    {"GetKelChampionsV1InventoriesBySummonerIdChampionsPlayableCount",
     "/kel-champions/v1/inventories/{summonerId}/champions-playable-count"},
    {"GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionId",
     "/kel-champions/v1/inventories/{summonerId}/champions/{championId}"},
    {"GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionIdSkins",
     "/kel-champions/v1/inventories/{summonerId}/champions/{championId}/skins"},
    {"GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionIdSkinsByChampionSkinId",
     "/kel-champions/v1/inventories/{summonerId}/champions/{championId}/skins/{championSkinId}"},
    {"GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionIdSkinsBySkinIdChromas",
     "/kel-champions/v1/inventories/{summonerId}/champions/{championId}/skins/{skinId}/chromas"},
};

// Takes the text up to the next "/" (or the end) off the front of `rest`.
std::string_view NextSegment(std::string_view& rest) {
  const std::size_t slash = rest.find('/');
  const std::string_view segment = rest.substr(0, slash);
  rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  return segment;
}

bool Matches(std::string_view path_template, std::string_view path) {
  // Both start with "/": compare segment by segment, the same count on each.
  if (!path.starts_with('/')) return false;
  std::string_view pattern = path_template.substr(1);
  std::string_view rest = path.substr(1);
  bool pattern_left = true;
  bool path_left = true;
  while (pattern_left && path_left) {
    pattern_left = pattern.find('/') != std::string_view::npos;
    path_left = rest.find('/') != std::string_view::npos;
    const std::string_view expected = NextSegment(pattern);
    const std::string_view segment = NextSegment(rest);
    if (!expected.starts_with('{') && expected != segment) return false;
  }
  return pattern_left == path_left;
}

}  // namespace

const ChampionRoute* MatchChampionRoute(std::string_view path) {
  const std::string_view bare = PathWithoutQuery(path);
  for (const ChampionRoute& route : kRoutes) {
    if (Matches(route.path_template, bare)) return &route;
  }
  return nullptr;
}

std::string_view PathWithoutQuery(std::string_view target) { return target.substr(0, target.find('?')); }

}  // namespace kel::host
