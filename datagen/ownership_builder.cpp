#include "datagen/ownership_builder.h"

#include <algorithm>

namespace kel::datagen {
namespace {

const char* const kPurchasedSource = "purchased";
const char* const kStoreRentalSource = "store-rentals";
const char* const kLegacyRentalSource = "legacy-rental";
const char* const kRewardSource = "free-to-play-reward";

uint64_t PastTime(SplitMix& rng, uint64_t nowMs, uint64_t minAgo, uint64_t maxAgo) {
  const uint64_t ago = rng.Between64(minAgo, maxAgo);
  return nowMs > ago ? nowMs - ago : 0;
}

// Each kind gets a fixed share of the champions (at least one while any are
// left), so every kind is present at the real scale and even in tiny worlds.
std::vector<OwnershipKind> AssignKinds(SplitMix& rng, std::size_t count) {
  const std::pair<OwnershipKind, std::size_t> shares[] = {
      {OwnershipKind::Purchased, count * 45 / 100},      {OwnershipKind::StoreRental, count * 6 / 100},
      {OwnershipKind::LegacyRental, count * 5 / 100},    {OwnershipKind::FreeToPlayReward, count * 5 / 100},
      {OwnershipKind::LegacyWinRental, count * 2 / 100},
  };
  std::vector<OwnershipKind> kinds;
  kinds.reserve(count);
  for (const auto& [kind, share] : shares) {
    const std::size_t take = std::min(std::max<std::size_t>(share, 1), count - kinds.size());
    kinds.insert(kinds.end(), take, kind);
  }
  kinds.resize(count, OwnershipKind::NeverPurchased);
  rng.Shuffle(kinds);
  return kinds;
}

void ApplyKind(SplitMix& rng, ChampionOwnershipRecord& record, uint64_t nowMs) {
  switch (record.kind) {
    case OwnershipKind::Purchased:
      record.owned = true;
      record.purchaseDate = PastTime(rng, nowMs, kMillisPerDay, 3 * 365 * kMillisPerDay);
      record.purchased = record.purchaseDate;
      record.sources = {kPurchasedSource};
      break;
    case OwnershipKind::StoreRental:
      // A paid rental: the purchase date is set, the source decides.
      record.endDate = nowMs + rng.Between64(kMillisPerHour, 7 * kMillisPerDay);
      record.purchaseDate = PastTime(rng, nowMs, kMillisPerMinute, 2 * kMillisPerDay);
      record.sources = {kStoreRentalSource};
      break;
    case OwnershipKind::LegacyRental:
      record.endDate = nowMs + rng.Between64(kLegacyRentalMinMillis, kLegacyRentalMaxMillis);
      record.sources = {kLegacyRentalSource};
      break;
    case OwnershipKind::LegacyWinRental:
      record.winCountRemaining = static_cast<int32_t>(rng.Between(1, 3));
      record.sources = {kLegacyRentalSource};
      break;
    case OwnershipKind::FreeToPlayReward:
      record.freeToPlayReward = true;
      record.sources = {kRewardSource};
      break;
    case OwnershipKind::NeverPurchased: break;
  }
}

SkinOwnershipRecord MakeSkinRecord(SplitMix& rng, int32_t championId, int32_t skinId, bool owned, uint64_t nowMs) {
  SkinOwnershipRecord record;
  record.championId = championId;
  record.skinId = skinId;
  record.stillObtainable = rng.Chance(9, 10);
  if (owned) {
    record.owned = true;
    record.purchaseDate = PastTime(rng, nowMs, kMillisPerDay, 2 * 365 * kMillisPerDay);
    record.sources = {kPurchasedSource};
  } else if (rng.Chance(1, 60)) {
    record.endDate = nowMs + rng.Between64(kMillisPerHour, 3 * kMillisPerDay);
    record.sources = {kStoreRentalSource};
  }
  return record;
}

// The base skin comes with the champion: same ownership, same dates.
SkinOwnershipRecord BaseSkinRecord(const ChampionOwnershipRecord& champion, int32_t skinId) {
  SkinOwnershipRecord record;
  record.endDate = champion.endDate;
  record.purchaseDate = champion.purchaseDate;
  record.winCountRemaining = champion.winCountRemaining;
  record.sources = champion.sources;
  record.championId = champion.championId;
  record.freeToPlayReward = champion.freeToPlayReward;
  record.owned = champion.owned;
  record.skinId = skinId;
  return record;
}

// A record for every skin and chroma, sorted by id at the end as the service
// sends them; one of the skins the summoner can pick is the last selected.
void AddSkinRecords(SplitMix& rng, ChampionOwnershipRecord& record, const GameChampion& champion, uint64_t nowMs) {
  const uint32_t skinOwnedPercent = record.owned ? 25 : 4;
  std::vector<std::size_t> selectable;
  for (const GameSkin& skin : champion.skins) {
    SkinOwnershipRecord skinRecord =
        skin.isBase ? BaseSkinRecord(record, skin.id)
                    : MakeSkinRecord(rng, champion.id, skin.id, rng.Chance(skinOwnedPercent, 100), nowMs);
    if (skin.isBase || skinRecord.owned) selectable.push_back(record.championSkins.size());
    const bool skinOwned = skinRecord.owned;
    record.championSkins.push_back(std::move(skinRecord));
    for (const GameChroma& chroma : skin.chromas) {
      record.championSkins.push_back(MakeSkinRecord(rng, champion.id, chroma.id, skinOwned && rng.Chance(2, 5), nowMs));
    }
  }
  if (record.kind != OwnershipKind::NeverPurchased && !selectable.empty()) {
    record.championSkins[selectable[rng.Below(static_cast<uint32_t>(selectable.size()))]].lastSelected = true;
  }
  std::sort(record.championSkins.begin(), record.championSkins.end(),
            [](const SkinOwnershipRecord& a, const SkinOwnershipRecord& b) { return a.skinId < b.skinId; });
}

bool Contains(const std::vector<int32_t>& ids, int32_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

std::vector<ChampionOwnershipRecord> BuildOwnership(SplitMix rng, const std::vector<GameChampion>& champions,
                                                    const LiveConfiguration& config, uint64_t nowMs) {
  const std::vector<OwnershipKind> kinds = AssignKinds(rng, champions.size());
  // The service reports one champion inactive; only the live configuration
  // decides what is served, so this must not stick.
  const std::size_t reportedInactive = champions.empty() ? 0 : rng.Below(static_cast<uint32_t>(champions.size()));
  std::vector<ChampionOwnershipRecord> records;
  records.reserve(champions.size());
  for (std::size_t i = 0; i < champions.size(); ++i) {
    const GameChampion& champion = champions[i];
    SplitMix championRng = rng.Fork(static_cast<uint64_t>(champion.id));
    ChampionOwnershipRecord record;
    record.kind = kinds[i];
    record.championId = champion.id;
    ApplyKind(championRng, record, nowMs);
    record.active = i != reportedInactive;
    record.botEnabled = championRng.Chance(9, 10);
    record.rankedPlayEnabled = i + 2 < champions.size();  // the two newest are not yet ranked
    record.freeToPlay = Contains(config.rotationChampionIds, champion.id);
    AddSkinRecords(championRng, record, champion, nowMs);
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace kel::datagen
