#include "champions/store_messages.h"

#include <optional>

#include "api/outbound_request.h"
#include "champions/id_lookup.h"
#include "champions/inventory_store.h"
#include "champions/legacy_rental_timers.h"
#include "champions/ownership_rules.h"
#include "champions/rental_notification.h"
#include "champions/value_conversion.h"
#include "diagnostics/log.h"
#include "platform/clock.h"
#include "runtime/subscription_core.h"

namespace kel::champions {
namespace {

bool ContentExpired(const CollectionsOwnership& ownership) {
  return !ownership.owned && !ownership.freeToPlayReward && !ownership.rental.rented;
}

// The item's name when the message left it expired; nothing otherwise.
std::optional<std::string> ApplyChampion(InventoryStore& store, const CollectionsDrovChampionDTO& record,
                                         const CollectionsOwnership& ownership) {
  InventoryStore::Access access = store.Lock();
  if (CollectionsChampion* champion = access.Inventory().EditChampion(record.championId)) {
    champion->ownership = ownership;
    access.FreeToPlayRefresh();
  }
  if (!ContentExpired(ownership)) return std::nullopt;
  const CollectionsChampion* champion = access.Inventory().FindChampion(record.championId);
  return champion != nullptr ? champion->name : std::string();
}

std::optional<std::string> ApplySkin(InventoryStore& store, const CollectionsDrovChampionSkinDTO& record,
                                     const CollectionsOwnership& ownership) {
  InventoryStore::Access access = store.Lock();
  access.UpdateSkinOwnership(record.championId, record.skinId, ownership);
  if (!ContentExpired(ownership)) return std::nullopt;
  const CollectionsChampion* champion = access.Inventory().FindChampion(record.championId);
  const CollectionsChampionSkin* skin = champion != nullptr ? FindById(champion->skins, record.skinId) : nullptr;
  return skin != nullptr ? skin->name : std::string();
}

}  // namespace

void StoreMessages::OnStoreFulfillment(const CollectionsDrovStoreFulfillmentNotification& message) {
  Apply(message.inventoryType, message.data, false);
}

void StoreMessages::OnRentalUpdate(const CollectionsDrovRentalUpdateNotification& message) {
  Apply(message.inventoryType, message.data, true);
}

void StoreMessages::Apply(const std::string& inventoryType, const BindingValue& data, bool isRentalUpdate) {
  std::optional<std::string> expiredName;
  if (inventoryType == "CHAMPION") {
    // A record that does not convert would look expired and announce a
    // rental that never ended.
    std::optional<CollectionsDrovChampionDTO> record =
        ConvertValue<CollectionsDrovChampionDTO>(plugin_.Registry(), data, "");
    if (!record) {
      log::Write(log::kError, log::kGroupDbg, "Failed to convert store fulfillment data to championDto.");
      return;
    }
    const CollectionsOwnership ownership = OwnershipFromWire(*record, platform::WallClockMilliseconds());
    legacyRentals_.Start(*record);
    expiredName = ApplyChampion(store_, *record, ownership);
  } else if (inventoryType == "CHAMPION_SKIN") {
    std::optional<CollectionsDrovChampionSkinDTO> record =
        ConvertValue<CollectionsDrovChampionSkinDTO>(plugin_.Registry(), data, "");
    if (!record) {
      log::Write(log::kError, log::kGroupDbg, "Failed to convert store fulfillment data to championSkinDto.");
      return;
    }
    expiredName = ApplySkin(store_, *record, OwnershipFromWire(*record, platform::WallClockMilliseconds()));
  } else {
    return;
  }
  if (isRentalUpdate && expiredName) {
    // Fire and forget: what the notification plug-in answers is not looked at.
    (void)Post(plugin_, RequestMethod::kPost, kPlayerNotificationsUrl, RentalExpiredNotification(*expiredName));
  }
}

}  // namespace kel::champions
