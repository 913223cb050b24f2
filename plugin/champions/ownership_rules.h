#pragma once
// How a wire record's ownership becomes the served ownership, including the
// rule that decides whether an item is rented right now.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "champions/champion_records.h"

namespace kel::champions {

inline constexpr std::string_view kStoreRentalSource = "store-rentals";
inline constexpr std::string_view kLegacyRentalSource = "legacy-rental";

inline bool HasSource(const std::vector<std::string>& sources, std::string_view source) {
  return std::find(sources.begin(), sources.end(), source) != sources.end();
}

// A store rental is rented whatever its dates say. A legacy rental is rented
// while it was never purchased and has wins left or has not ended yet (`nowMs`
// is the wall clock, ms since 1970-01-01 UTC). Anything else is not rented.
inline bool IsRented(const std::vector<std::string>& sources, std::uint64_t endDate, std::uint64_t purchaseDate,
                     std::int32_t winCountRemaining, std::uint64_t nowMs) {
  if (HasSource(sources, kStoreRentalSource)) return true;
  if (!HasSource(sources, kLegacyRentalSource)) return false;
  return purchaseDate == 0 && (winCountRemaining > 0 || endDate > nowMs);
}

// Works for the champion and the skin wire records alike.
template <typename WireRecord>
CollectionsOwnership OwnershipFromWire(const WireRecord& record, std::uint64_t nowMs) {
  CollectionsOwnership ownership;
  ownership.freeToPlayReward = record.freeToPlayReward;
  ownership.owned = record.owned;
  ownership.rental.endDate = record.endDate;
  ownership.rental.purchaseDate = record.purchaseDate;
  ownership.rental.winCountRemaining = record.winCountRemaining;
  ownership.rental.rented =
      IsRented(record.sources, record.endDate, record.purchaseDate, record.winCountRemaining, nowMs);
  return ownership;
}

}  // namespace kel::champions
