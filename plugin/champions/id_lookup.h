#pragma once
// Lookups by `id` in the inventory's lists of champions, skins and chromas.
// Their order is part of what is served, so they stay plain vectors: a single
// lookup scans, and a pass that looks up many ids builds an IdIndex first so
// that it stays linear in the size of the inventory.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
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
// while only this index appends to the list.
template <typename Record>
class IdIndex {
 public:
  explicit IdIndex(std::vector<Record>& records) : records_(records) {
    positions_.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) positions_.try_emplace(records[i].id, i);
  }

  Record* Find(std::int32_t id) {
    const auto found = positions_.find(id);
    return found == positions_.end() ? nullptr : &records_[found->second];
  }

  Record& FindOrAdd(std::int32_t id) {
    const auto [position, added] = positions_.try_emplace(id, records_.size());
    if (added) records_.emplace_back().id = id;
    return records_[position->second];
  }

 private:
  std::vector<Record>& records_;
  std::unordered_map<std::int32_t, std::size_t> positions_;
};

}  // namespace kel::champions
