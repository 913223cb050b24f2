#pragma once
// Rentals of the older kind ("legacy-rental") end at their end date without
// any message from the remote service. For each one the plug-in runs a timer
// that clears the champion's rented flag at that date and publishes the
// champion and the playable counts. Timers are never cancelled: a rental
// renewed or bought before its end still ends at the old date, and every
// ownership load starts another timer for each rental that still qualifies.

#include <cstdint>

namespace kel {
class SubscriptionCore;
}

namespace kel::champions {

class InventoryStore;
struct CollectionsDrovChampionDTO;

class LegacyRentalTimers {
 public:
  LegacyRentalTimers(SubscriptionCore& plugin, InventoryStore& store) : plugin_(plugin), store_(store) {}

  // Starts a timer when the record is a legacy rental that was never
  // purchased and ends later than now. Takes no lock; call it without the
  // inventory lock.
  void Start(const CollectionsDrovChampionDTO& record);

 private:
  void Expire(std::int32_t championId);

  SubscriptionCore& plugin_;
  InventoryStore& store_;
};

}  // namespace kel::champions
