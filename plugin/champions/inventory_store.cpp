#include "champions/inventory_store.h"

namespace kel::champions {

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

void InventoryStore::Access::NotifyUpdate() { store_->publisher_.NotifyUpdate(Inventory(), Session()); }

void InventoryStore::Access::UpdateSkinOwnership(std::int32_t championId, std::int32_t skinOrChromaId,
                                                 const CollectionsOwnership& ownership) {
  store_->publisher_.UpdateSkinOwnership(Inventory(), Session(), championId, skinOrChromaId, ownership);
}

void InventoryStore::Access::PublishRentalExpiry(const CollectionsChampion& champion) {
  store_->publisher_.PublishRentalExpiry(Inventory(), Session(), champion);
}

}  // namespace kel::champions
