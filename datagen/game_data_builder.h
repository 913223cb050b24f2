#pragma once
// Builds the static game data: champions in ascending id order, each with a
// base skin at id x 1000, themed skins, chromas, emblems, spells and paths.

#include <vector>

#include "datagen/split_mix.h"
#include "datagen/world_model.h"
#include "datagen/world_options.h"

namespace kel::datagen {

// Every path starts with this prefix, the root the game-data plug-in serves.
inline constexpr const char* kGameDataAssetRoot = "/kel-game-data/assets/v1/";

std::vector<GameChampion> BuildGameData(SplitMix rng, const WorldOptions& options);

}  // namespace kel::datagen
