#include "champions/inventory_store.h"

namespace kel::champions {

InventoryStore::Access::~Access() {
  lock_.unlock();
  store_->publisher_.Send(publication_);
}

void InventoryStore::Access::FullRefresh() {
  ChampionInventory& inventory = Inventory();
  inventory.ApplyDisabledChampionsAndQueues();
  inventory.ApplyDisabledSkins();
  FreeToPlayRefresh();
}

void InventoryStore::Access::FreeToPlayRefresh() {
  ChampionInventory& inventory = Inventory();
  inventory.ComputeFreeToPlayAndBaseSkins();
  inventory.RebuildMinimalChampions();
  NotifyUpdate();
}

void InventoryStore::Access::NotifyUpdate() { store_->publisher_.NotifyUpdate(Inventory(), Session(), publication_); }

void InventoryStore::Access::UpdateSkinOwnership(std::int32_t championId, std::int32_t skinOrChromaId,
                                                 const CollectionsOwnership& ownership) {
  store_->publisher_.UpdateSkinOwnership(Inventory(), Session(), championId, skinOrChromaId, ownership, publication_);
}

void InventoryStore::Access::PublishRentalExpiry(const CollectionsChampion& champion) {
  store_->publisher_.PublishRentalExpiry(Inventory(), Session(), champion, publication_);
}

}  // namespace kel::champions
