#pragma once
// Announces inventory changes to the client's user interface as resource
// events: the three lists after every refresh (once the publication gate is
// open), and single skins, chromas or champions when one item changes.
//
// The operations below run with the inventory lock held by the caller: they
// decide what goes out (and pass the gate) there, and queue copies of the
// payloads into the change's PendingPublication, which takes its number in
// the publication sequence then. Send runs after the lock is released: it
// converts the payloads, waits until every earlier publication is sent, and
// calls the core. So the events of successive changes go out in the order of
// the changes, each one consistent state, and no conversion and no call into
// the core happens under the inventory lock.

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "champions/champion_inventory.h"
#include "champions/inventory_session.h"
#include "champions/pending_publication.h"

namespace kel {
class SubscriptionCore;
}

namespace kel::champions {

class InventoryPublisher {
 public:
  explicit InventoryPublisher(SubscriptionCore& plugin) : plugin_(plugin) {}

  // The end of every refresh: behind the gate, queues the champion list, the
  // minimal list and the playable counts, as create the first time and as
  // update afterwards, and marks the data published.
  void NotifyUpdate(const ChampionInventory& inventory, InventorySession& session, PendingPublication& out);

  // A store message for one skin or chroma: replaces its ownership and queues
  // the champion list and the changed skin (or the chromas of the skin that
  // holds the chroma). Nothing is re-derived.
  void UpdateSkinOwnership(ChampionInventory& inventory, const InventorySession& session, std::int32_t championId,
                           std::int32_t skinOrChromaId, const CollectionsOwnership& ownership, PendingPublication& out);

  // A legacy rental of `champion` has just ended: queues the champion and the
  // playable counts.
  void PublishRentalExpiry(const ChampionInventory& inventory, const InventorySession& session,
                           const CollectionsChampion& champion, PendingPublication& out);

  // Without the inventory lock: sends what `publication` holds in its turn.
  // Every numbered publication must be sent, even an empty one.
  void Send(const PendingPublication& publication) noexcept;

 private:
  void Number(PendingPublication& publication);

  SubscriptionCore& plugin_;
  std::mutex turnMutex_;  // a leaf: held only to number, wait or advance
  std::condition_variable turn_;
  std::uint64_t numbered_ = 0;
  std::uint64_t sent_ = 0;
};

}  // namespace kel::champions
