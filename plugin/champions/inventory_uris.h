#pragma once
// The URIs of the served resources as update events name them.

#include <cstdint>
#include <string>

namespace kel::champions {

std::string ChampionsUri(std::uint64_t summonerId);
std::string ChampionsMinimalUri(std::uint64_t summonerId);
std::string PlayableCountUri(std::uint64_t summonerId);
std::string ChampionUri(std::uint64_t summonerId, std::int32_t championId);
std::string SkinsUri(std::uint64_t summonerId, std::int32_t championId);
std::string SkinUri(std::uint64_t summonerId, std::int32_t championId, std::int32_t skinId);
std::string ChromasUri(std::uint64_t summonerId, std::int32_t championId, std::int32_t skinId);

}  // namespace kel::champions
