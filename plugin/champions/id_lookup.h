#pragma once
// Lookups by `id` in the inventory's lists of champions, skins and chromas.
// Their order is part of what is served, so they stay plain vectors: a single
// lookup scans, and a pass that looks up many ids builds an IdIndex first so
// that it stays linear in the size of the inventory.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kel::champions {

// The first element whose id equals `id`, or null.
template <typename Record>
Record* FindById(std::vector<Record>& records, std::int32_t id) {
  for (Record& record : records) {
    if (record.id == id) return &record;
  }
  return nullptr;
}

template <typename Record>
const Record* FindById(const std::vector<Record>& records, std::int32_t id) {
  for (const Record& record : records) {
    if (record.id == id) return &record;
  }
  return nullptr;
}

// The first element with that id; when there is none, a default element with
// only that id set is appended. The reference lives until the list grows.
template <typename Record>
Record& FindOrAddById(std::vector<Record>& records, std::int32_t id) {
  if (Record* found = FindById(records, id)) return *found;
  Record& added = records.emplace_back();
  added.id = id;
  return added;
}

// The position of the first element of each id in `records`, for one pass
// over many ids: the same element FindById and FindOrAddById give. Valid
// while only this index appends to the list. An open-addressed table of
// (id, position) pairs in one block: a refresh builds one per pass, and a
// node per id cost an allocation each and a cache miss per lookup.
template <typename Record>
class IdIndex {
 public:
  explicit IdIndex(std::vector<Record>& records) : records_(records) {
    Resize(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      Slot& slot = SlotOf(records[i].id);
      if (slot.position == kFree) slot = {records[i].id, static_cast<std::uint32_t>(i)};
    }
  }

  Record* Find(std::int32_t id) {
    const Slot& slot = SlotOf(id);
    return slot.position == kFree ? nullptr : &records_[slot.position];
  }

  Record& FindOrAdd(std::int32_t id) {
    Slot* slot = &SlotOf(id);
    if (slot->position == kFree) {
      if (2 * (records_.size() + 1) > slots_.size()) {
        Resize(records_.size() + 1);
        slot = &SlotOf(id);
      }
      // Entered once the record exists, so that a failed append leaves the
      // index as it was.
      records_.emplace_back().id = id;
      *slot = {id, static_cast<std::uint32_t>(records_.size() - 1)};
    }
    return records_[slot->position];
  }

 private:
  static constexpr std::uint32_t kFree = UINT32_MAX;
  struct Slot {
    std::int32_t id;
    std::uint32_t position;
  };

  // The slot of `id`, or the free slot where it would go.
  Slot& SlotOf(std::int32_t id) {
    std::size_t at = (static_cast<std::uint32_t>(id) * 0x9E3779B1u) >> shift_;
    while (slots_[at].position != kFree && slots_[at].id != id) at = (at + 1) & (slots_.size() - 1);
    return slots_[at];
  }

  // At most half full for `count` records; re-enters those indexed so far.
  void Resize(std::size_t count) {
    unsigned bits = 4;
    while ((std::size_t{1} << bits) < 2 * count) ++bits;
    std::vector<Slot> previous = std::move(slots_);
    slots_.assign(std::size_t{1} << bits, Slot{0, kFree});
    shift_ = 32 - bits;
    for (const Slot& slot : previous) {
      if (slot.position != kFree) SlotOf(slot.id) = slot;
    }
  }

  std::vector<Record>& records_;
  std::vector<Slot> slots_;
  unsigned shift_ = 0;
};

}  // namespace kel::champions
