#pragma once
// Pushed messages that change the ownership of one champion or skin between
// two ownership loads: a store fulfilment (bought or granted) and a rental
// update. A rental update that leaves its item neither owned, nor a
// free-to-play reward, nor rented posts a rental-expired notification.
//
// Both handlers run as tasks of the remote-message dispatcher. Each takes
// the inventory lock for its change; the legacy-rental timer is started
// before and the notification posted after, so no request is made while the
// lock is held.

#include <string>

#include "champions/drov_wire_records.h"

namespace kel {
class BindingValue;
class SubscriptionCore;
}  // namespace kel

namespace kel::champions {

class InventoryStore;
class LegacyRentalTimers;

class StoreMessages {
 public:
  StoreMessages(SubscriptionCore& plugin, InventoryStore& store, LegacyRentalTimers& legacyRentals)
      : plugin_(plugin), store_(store), legacyRentals_(legacyRentals) {}

  void OnStoreFulfillment(const CollectionsDrovStoreFulfillmentNotification& message);
  void OnRentalUpdate(const CollectionsDrovRentalUpdateNotification& message);

 private:
  // Applies a message of type "CHAMPION" or "CHAMPION_SKIN" (exactly; any
  // other type is ignored); `isRentalUpdate` decides whether an expired item
  // is announced to the player.
  void Apply(const std::string& inventoryType, const BindingValue& data, bool isRentalUpdate);

  SubscriptionCore& plugin_;
  InventoryStore& store_;
  LegacyRentalTimers& legacyRentals_;
};

}  // namespace kel::champions
