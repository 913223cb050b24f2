#include "champions/champion_plugin.h"

#include <utility>

#include "champions/champion_types.h"

namespace kel::champions {

ChampionPlugin::ChampionPlugin(RetryPause retryPause)
    : publisher_(*this), store_(publisher_), routes_(store_), flows_(*this, store_, std::move(retryPause)) {}

ChampionPlugin::~ChampionPlugin() = default;

void ChampionPlugin::RegisterRoutes() {
  RegisterDrovWireRecords(registry(), DrovClasses());
  RegisterPublicRecords(registry(), camel_case_name(), log_group_path());
  routes_.Register(functions(), log_group_path());
}

bool ChampionPlugin::OnInitialized() {
  flows_.Start();
  return true;
}

}  // namespace kel::champions
