#include "champions/champion_plugin.h"

#include "champions/champion_types.h"

namespace kel::champions {

ChampionPlugin::ChampionPlugin() : publisher_(*this), store_(publisher_), routes_(store_) {}

ChampionPlugin::~ChampionPlugin() = default;

void ChampionPlugin::RegisterRoutes() {
  RegisterDrovWireRecords(registry(), DrovClasses());
  RegisterPublicRecords(registry(), camel_case_name(), log_group_path());
  routes_.Register(functions(), log_group_path());
}

}  // namespace kel::champions
