#include "champions/legacy_rental_timers.h"

#include <limits>

#include "champions/drov_wire_records.h"
#include "champions/inventory_store.h"
#include "champions/ownership_rules.h"
#include "diagnostics/log.h"
#include "platform/clock.h"
#include "runtime/subscription_core.h"

namespace kel::champions {
namespace {

constexpr const char* kTaskName = "kel-champions.legacy-rental-expire";
constexpr std::uint64_t kNanosecondsPerMillisecond = 1'000'000;

// `delayMs` after `nowNs`; an end date too far away to express on the
// monotonic clock waits for ever instead of wrapping round to "now".
std::uint64_t DueTime(std::uint64_t nowNs, std::uint64_t delayMs) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  if (delayMs > kMax / kNanosecondsPerMillisecond) return kMax;
  const std::uint64_t delayNs = delayMs * kNanosecondsPerMillisecond;
  return delayNs > kMax - nowNs ? kMax : nowNs + delayNs;
}

}  // namespace

void LegacyRentalTimers::Start(const CollectionsDrovChampionDTO& record) {
  if (!HasSource(record.sources, kLegacyRentalSource) || record.purchaseDate != 0) return;
  const std::uint64_t nowMs = platform::WallClockMilliseconds();
  if (record.endDate <= nowMs) return;
  const std::uint64_t delayMs = record.endDate - nowMs;
  log::Write(log::kAlways, log::kGroupDbg, "CollectionPlugins: legacy rental for champion %d will expire in %d ms",
             record.championId, static_cast<std::int32_t>(delayMs));
  const std::int32_t championId = record.championId;
  plugin_.ScheduleTask(
      kTaskName, [this, championId] { Expire(championId); }, DueTime(platform::MonotonicNanoseconds(), delayMs));
}

void LegacyRentalTimers::Expire(std::int32_t championId) {
  InventoryStore::Access access = store_.Lock();
  CollectionsChampion* champion = access.Inventory().EditChampion(championId);
  if (champion == nullptr) return;
  log::Write(log::kAlways, log::kGroupDbg, "CollectionPlugins: legacy rental for champion %d expired.", championId);
  champion->ownership.rental.rented = false;
  access.PublishRentalExpiry(*champion);
}

}  // namespace kel::champions
