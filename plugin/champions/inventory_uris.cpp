#include "champions/inventory_uris.h"

#include "diagnostics/positional_format.h"

namespace kel::champions {

std::string ChampionsUri(std::uint64_t summonerId) {
  return FormatMessage("/kel-champions/v1/inventories/%1/champions", summonerId);
}

std::string ChampionsMinimalUri(std::uint64_t summonerId) {
  return FormatMessage("/kel-champions/v1/inventories/%1/champions-minimal", summonerId);
}

std::string PlayableCountUri(std::uint64_t summonerId) {
  return FormatMessage("/kel-champions/v1/inventories/%1/champions-playable-count", summonerId);
}

std::string ChampionUri(std::uint64_t summonerId, std::int32_t championId) {
  return FormatMessage("/kel-champions/v1/inventories/%1/champions/%2", summonerId, championId);
}

std::string SkinsUri(std::uint64_t summonerId, std::int32_t championId) {
  return FormatMessage("/kel-champions/v1/inventories/%1/champions/%2/skins", summonerId, championId);
}

std::string SkinUri(std::uint64_t summonerId, std::int32_t championId, std::int32_t skinId) {
  return FormatMessage("/kel-champions/v1/inventories/%1/champions/%2/skins/%3", summonerId, championId, skinId);
}

std::string ChromasUri(std::uint64_t summonerId, std::int32_t championId, std::int32_t skinId) {
  return FormatMessage("/kel-champions/v1/inventories/%1/champions/%2/skins/%3/chromas", summonerId, championId,
                       skinId);
}

}  // namespace kel::champions
