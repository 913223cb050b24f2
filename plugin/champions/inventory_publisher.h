#pragma once
// Announces inventory changes to the client's user interface as resource
// events: the three lists after every refresh (once the publication gate is
// open), and single skins, chromas or champions when one item changes.
//
// Every operation runs with the inventory lock held by the caller, so each
// payload is one consistent state; events of one operation go out in order.
// Sending is a synchronous call into the core, never a request.

#include <cstdint>

#include "champions/champion_inventory.h"
#include "champions/inventory_session.h"

namespace kel {
class SubscriptionCore;
}

namespace kel::champions {

class InventoryPublisher {
 public:
  explicit InventoryPublisher(SubscriptionCore& plugin) : plugin_(plugin) {}

  // The end of every refresh: behind the gate, sends the champion list, the
  // minimal list and the playable counts, as create the first time and as
  // update afterwards, and marks the data published.
  void NotifyUpdate(const ChampionInventory& inventory, InventorySession& session);

  // A store message for one skin or chroma: replaces its ownership and sends
  // the champion list and the changed skin (or the chromas of the skin that
  // holds the chroma). Nothing is re-derived.
  void UpdateSkinOwnership(ChampionInventory& inventory, const InventorySession& session, std::int32_t championId,
                           std::int32_t skinOrChromaId, const CollectionsOwnership& ownership);

  // A legacy rental of `champion` has just ended: sends the champion and the
  // playable counts.
  void PublishRentalExpiry(const ChampionInventory& inventory, const InventorySession& session,
                           const CollectionsChampion& champion);

 private:
  SubscriptionCore& plugin_;
};

}  // namespace kel::champions
