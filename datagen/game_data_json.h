#pragma once
// The game-data plug-in's texts: the champion summary list and one file per
// champion, with the member names the inventory reads.

#include <string>
#include <vector>

#include "datagen/world_model.h"

namespace kel::datagen {

// [{"id","name","alias","squarePortraitPath","roles"}, ...] in list order.
std::string ChampionSummaryJson(const std::vector<GameChampion>& champions);

std::string GameChampionJson(const GameChampion& champion);

}  // namespace kel::datagen
