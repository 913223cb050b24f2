#include "champions/ownership_loader.h"

#include <vector>

#include "runtime/drov_call.h"
#include "champions/drov_wire_records.h"
#include "champions/inventory_store.h"
#include "champions/legacy_rental_timers.h"
#include "diagnostics/log.h"
#include "platform/clock.h"
#include "runtime/subscription_core.h"

namespace kel::champions {
namespace {

constexpr const char* kTaskName = "zbt-be-kel-champions:FetchChampionOwnershipData";
constexpr std::uint64_t kTaskDelayNs = 10'000'000;

}  // namespace

OwnershipLoader::OwnershipLoader(SubscriptionCore& plugin, InventoryStore& store, LegacyRentalTimers& legacyRentals)
    : plugin_(plugin), store_(store), legacyRentals_(legacyRentals) {}

void OwnershipLoader::RequestLoad() {
  if (scheduled_.exchange(true)) return;
  Schedule();
}

void OwnershipLoader::Schedule() {
  plugin_.ScheduleTask(
      kTaskName, [this] { Run(); }, platform::MonotonicNanoseconds() + kTaskDelayNs);
}

void OwnershipLoader::Run() {
  std::unique_lock run(runMutex_, std::try_to_lock);
  if (!run.owns_lock()) {
    // Another run is under way, perhaps further up this very thread.
    Schedule();
    return;
  }
  scheduled_.store(false);
  MaybeType<Failure, std::vector<CollectionsDrovChampionDTO>> reply =
      CallDrov<std::vector<CollectionsDrovChampionDTO>>(plugin_, "inventoryService", "getAvailableChampions");
  if (reply.IsFailure()) {
    log::Write(log::kError, log::kGroupDbg, "Error requesting champions: %s", reply.GetFailure().Message().c_str());
    return;
  }
  const std::vector<CollectionsDrovChampionDTO>& records = reply.Value();
  // Timers go to the core before the inventory lock is taken.
  for (const CollectionsDrovChampionDTO& record : records) legacyRentals_.Start(record);
  InventoryStore::Access access = store_.Lock();
  access.Inventory().ApplyOwnership(records, platform::WallClockMilliseconds());
  access.FullRefresh();
}

}  // namespace kel::champions
