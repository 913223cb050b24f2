#pragma once
// Everything that feeds the inventory after start-up: the two loaders, the
// legacy-rental timers, and the handlers of the session, configuration,
// store and rental events. The plug-in object owns one and starts it from
// OnInitialized.

#include "champions/configuration_events.h"
#include "champions/game_data_loader.h"
#include "champions/legacy_rental_timers.h"
#include "champions/ownership_loader.h"
#include "champions/session_events.h"
#include "champions/store_messages.h"

namespace kel {
class SubscriptionCore;
}

namespace kel::champions {

class InventoryStore;

class InventoryFlows {
 public:
  // `retryPause` spends the pauses between game-data retries; the default
  // blocks until the pause is over or the client shuts down.
  InventoryFlows(SubscriptionCore& plugin, InventoryStore& store, RetryPause retryPause = WaitForShutdownSignal);
  InventoryFlows(const InventoryFlows&) = delete;
  InventoryFlows& operator=(const InventoryFlows&) = delete;

  // Makes the eleven subscriptions in their fixed order (a resource's
  // current value may reach its handler at once), then requests the
  // game-data load. Called once, from OnInitialized.
  void Start();

 private:
  SubscriptionCore& plugin_;
  GameDataLoader gameData_;
  LegacyRentalTimers legacyRentals_;
  OwnershipLoader ownership_;
  SessionEvents session_;
  ConfigurationEvents configuration_;
  StoreMessages storeMessages_;
};

}  // namespace kel::champions
