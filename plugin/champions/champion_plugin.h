#pragma once
// The plug-in object of "kel-champions": an AppModule that keeps the merged
// champion inventory behind its lock, serves it through eight read-only
// routes and publishes its changes as resource events.
//
// Members are destroyed before the AppModule base, so the inventory goes
// before the subscription core that could still deliver into it; Shutdown
// stops every delivery first.

#include "champions/inventory_flows.h"
#include "champions/inventory_publisher.h"
#include "champions/inventory_routes.h"
#include "champions/inventory_store.h"
#include "runtime/app_module.h"

namespace kel::champions {

class ChampionPlugin : public AppModule {
 public:
  // `retryPause` spends the pauses between game-data retries; the default
  // blocks until the pause is over or the client shuts down.
  explicit ChampionPlugin(RetryPause retryPause = WaitForShutdownSignal);
  ~ChampionPlugin() override;

  // The record types (wire records first, then the public records), then
  // the eight inventory routes. Runs during the entry; calls no core
  // function.
  void RegisterRoutes() override;

  // Subscribes to the other plug-ins' events and starts the game-data load.
  bool OnInitialized() override;

  // The inventory and its lock, for the loaders, the session handlers and
  // the rental timers.
  InventoryStore& Inventory() { return store_; }

 private:
  InventoryPublisher publisher_;
  InventoryStore store_;
  InventoryRoutes routes_;
  InventoryFlows flows_;
};

}  // namespace kel::champions
