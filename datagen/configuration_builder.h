#pragma once
// Builds the live configuration of a world: inactive champions, disabled
// queues and skins, the free-to-play rotation and the new-player rule.

#include <vector>

#include "datagen/split_mix.h"
#include "datagen/world_model.h"
#include "datagen/world_options.h"

namespace kel::datagen {

LiveConfiguration BuildConfiguration(SplitMix rng, const std::vector<GameChampion>& champions,
                                     const WorldOptions& options);

}  // namespace kel::datagen
