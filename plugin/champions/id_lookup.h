#pragma once
// Linear lookups by `id` in the inventory's lists of champions, skins and
// chromas. The lists are short (a few hundred champions, a dozen skins each),
// and their order is part of what is served, so they stay plain vectors.

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

}  // namespace kel::champions
