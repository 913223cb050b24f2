#pragma once
// The inventory behind its lock. Everything the inventory keeps (the
// champion list and what is derived from it, the live configuration, the
// session and the publication state) is reached only through an Access,
// which holds the inventory lock for as long as it lives:
//
//   {
//     InventoryStore::Access access = store.Lock();
//     access.Inventory().ApplyOwnership(records, platform::WallClockMilliseconds());
//     access.FullRefresh();
//   }  // lock released; only now may the caller make a request
//
// Lock order: the loading lock and the ownership lock are taken before the
// inventory lock, never after it. No request, remote call or call into the
// core is made while it is held: what a change publishes is copied under it
// and sent by the Access as it lets the lock go (see InventoryPublisher).

#include <cstdint>
#include <mutex>

#include "champions/champion_inventory.h"
#include "champions/inventory_publisher.h"
#include "champions/inventory_session.h"

namespace kel::champions {

class InventoryStore {
 public:
  explicit InventoryStore(InventoryPublisher& publisher) : publisher_(publisher) {}
  InventoryStore(const InventoryStore&) = delete;
  InventoryStore& operator=(const InventoryStore&) = delete;

  class Access {
   public:
    ChampionInventory& Inventory() { return store_->inventory_; }
    InventorySession& Session() { return store_->session_; }

    // Disabled champions and queues, disabled skins, then the free-to-play
    // refresh. Runs after ownership or game data is applied and after the
    // disabled champions, the live configuration or the disabled skins change.
    void FullRefresh();
    // Free-to-play and base skins, the minimal list, then the update
    // notification. Runs after the summoner level, the new-player rule or a
    // champion's ownership changes.
    void FreeToPlayRefresh();
    // The update notification alone (the post-login timeout).
    void NotifyUpdate();
    // A store message for one skin or chroma.
    void UpdateSkinOwnership(std::int32_t championId, std::int32_t skinOrChromaId,
                             const CollectionsOwnership& ownership);
    // After a legacy rental of `champion` (a champion of this inventory) ended.
    void PublishRentalExpiry(const CollectionsChampion& champion);

    // Releases the lock, then sends what the change queued for publishing.
    ~Access();
    Access(const Access&) = delete;
    Access& operator=(const Access&) = delete;

   private:
    friend class InventoryStore;
    explicit Access(InventoryStore& store) : store_(&store), lock_(store.mutex_) {}

    InventoryStore* store_;
    std::unique_lock<std::mutex> lock_;
    PendingPublication publication_;
  };

  // Blocks until the inventory lock is free.
  [[nodiscard]] Access Lock() { return Access(*this); }

 private:
  std::mutex mutex_;
  ChampionInventory inventory_;
  InventorySession session_;
  InventoryPublisher& publisher_;
};

}  // namespace kel::champions
