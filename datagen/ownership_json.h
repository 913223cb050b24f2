#pragma once
// The reply of inventoryService.getAvailableChampions as the login plug-in's
// "/kel-login/v1/session/invoke" relay returns it: {"typeName", "body"} with
// the list of champion wire records as the body.

#include <string>
#include <vector>

#include "datagen/world_model.h"

namespace kel::datagen {

inline constexpr const char* kChampionDtoClass = "com.tesselworks.platform.catalog.champion.ChampionDTO";

// One champion's or one skin's (or chroma's) wire record, as a store or
// rental message carries it in its data.
std::string ChampionDtoJson(const ChampionOwnershipRecord& record);
std::string SkinDtoJson(const SkinOwnershipRecord& record);

// The relay's response; typeName names the element class of the list.
std::string OwnershipReplyJson(const std::vector<ChampionOwnershipRecord>& records);

}  // namespace kel::datagen
