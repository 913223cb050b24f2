#pragma once
// Builds what the remote inventory service answers for one summoner at one
// moment: a record per champion (reply order = ascending champion id) with a
// record per skin and chroma. The choices depend on the seed and the
// summoner only; "now" moves the dates, so a later "now" keeps the same mix.

#include <cstdint>
#include <vector>

#include "datagen/split_mix.h"
#include "datagen/world_model.h"

namespace kel::datagen {

inline constexpr uint64_t kMillisPerMinute = 60ull * 1000ull;
inline constexpr uint64_t kMillisPerHour = 60ull * kMillisPerMinute;
inline constexpr uint64_t kMillisPerDay = 24ull * kMillisPerHour;

// Legacy rentals end within this window after "now".
inline constexpr uint64_t kLegacyRentalMinMillis = kMillisPerMinute;
inline constexpr uint64_t kLegacyRentalMaxMillis = 2ull * kMillisPerHour;

std::vector<ChampionOwnershipRecord> BuildOwnership(SplitMix rng, const std::vector<GameChampion>& champions,
                                                    const LiveConfiguration& config, uint64_t nowMs);

}  // namespace kel::datagen
