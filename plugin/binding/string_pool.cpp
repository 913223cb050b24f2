#include "binding/string_pool.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "binding/fnv1a.h"
#include "binding/heap_blocks.h"
#include "binding/small_object_allocator.h"

namespace kel {
namespace {

struct StaticEmptyEntry {
  InternedString entry;
  char terminator;
};
static_assert(offsetof(StaticEmptyEntry, terminator) == sizeof(InternedString));

StaticEmptyEntry gEmptyEntry = {{0, kFnv1aOffsetBasis, 0, 0, 0}, '\0'};

// Most texts are keys and short words: two word compares instead of a call.
bool SameText(const InternedString& entry, std::string_view text) noexcept {
  const std::size_t length = text.size();
  if (entry.length != length) return false;
  if (length > 16) return std::memcmp(entry.Text(), text.data(), length) == 0;
  if (length < 8) return LoadPadded(entry.Text(), length) == LoadPadded(text.data(), length);
  std::uint64_t a, b, c, d;
  std::memcpy(&a, entry.Text(), 8);
  std::memcpy(&b, text.data(), 8);
  std::memcpy(&c, entry.Text() + length - 8, 8);
  std::memcpy(&d, text.data() + length - 8, 8);
  return ((a ^ b) | (c ^ d)) == 0;
}

}  // namespace

StringPool::StringPool(SmallObjectAllocator& blocks, HeapBlocks& heap) noexcept
    : blocks_(blocks),
      heap_(heap),
      slots_(initialSlots_),
      slotMask_(kInitialSlots - 1),
      entries_(initialEntries_),
      capacity_(kInitialEntries) {}

// A tree discarded whole leaves its entries here; they go with the pool
// blocks and heap blocks of the context.
StringPool::~StringPool() {
  if (slots_ != initialSlots_) std::free(slots_);
  if (entries_ != initialEntries_) std::free(entries_);
  std::free(cache_);
}

InternedString* StringPool::EmptyEntry() noexcept { return &gEmptyEntry.entry; }

// Rounded to the entry's alignment so that pooled entries of any size class
// stay aligned.
std::size_t StringPool::EntrySize(std::size_t length) noexcept {
  std::size_t size = sizeof(InternedString) + length + 1;
  return (size + alignof(InternedString) - 1) / alignof(InternedString) * alignof(InternedString);
}

// The slot holding the text, or the free slot where it would go. The table
// is never more than three quarters full, so a free slot is always reached.
std::size_t StringPool::SlotOf(std::string_view text, std::uint32_t hash) const noexcept {
  for (std::size_t i = hash & slotMask_;; i = (i + 1) & slotMask_) {
    const Slot slot = slots_[i];
    if (slot.entry == 0) return i;
    if (slot.hash == hash && SameText(*entries_[slot.entry - 1], text)) return i;
  }
}

std::size_t StringPool::SlotOfPosition(std::uint32_t hash, std::uint32_t position) const noexcept {
  std::size_t i = hash & slotMask_;
  while (slots_[i].entry != position + 1) i = (i + 1) & slotMask_;
  return i;
}

const InternedString* StringPool::Find(std::string_view text) const noexcept {
  if (text.empty()) return EmptyEntry();
  const Slot slot = slots_[SlotOf(text, Fnv1a32(text))];
  return slot.entry == 0 ? nullptr : entries_[slot.entry - 1];
}

void StringPool::ForgetCached(const InternedString* entry) noexcept {
  if (cache_ == nullptr || entry->length > kShortTextMax) return;
  CacheLine& line = cache_[CacheLineOf(ShortTextOf(entry->Text(), entry->length))];
  if (line.entry == entry) line.entry = nullptr;
}

InternedString* StringPool::Intern(std::string_view text) {
  if (text.empty()) return EmptyEntry();
  if (text.size() > kShortTextMax) return InternHashed(text, Fnv1a32(text));
  if (cache_ == nullptr) {
    if (++uncachedLookups_ < kCacheFromLookups) return InternHashed(text, Fnv1a32(text));
    // Without the cache every text is still found, only more slowly.
    cache_ = static_cast<CacheLine*>(std::calloc(kCacheLines, sizeof(CacheLine)));
    if (cache_ == nullptr) return InternHashed(text, Fnv1a32(text));
  }
  const ShortText key = ShortTextOf(text.data(), text.size());
  CacheLine& line = cache_[CacheLineOf(key)];
  if (line.entry != nullptr && line.text.first == key.first && line.text.last == key.last &&
      line.text.length == key.length) {
    ++line.entry->references;
    return line.entry;
  }
  InternedString* entry = InternHashed(text, Fnv1a32(text));
  line = {key, entry};
  return entry;
}

InternedString* StringPool::InternHashed(std::string_view text, std::uint32_t hash) {
  if (text.empty()) return EmptyEntry();
  std::size_t slot = SlotOf(text, hash);
  if (slots_[slot].entry != 0) {
    InternedString* found = entries_[slots_[slot].entry - 1];
    ++found->references;
    return found;
  }
  if ((count_ + 1) * 4 > SlotCount() * 3) {
    GrowSlots(SlotCount() * 2);
    slot = SlotOf(text, hash);
  }
  if (count_ == capacity_) GrowEntries(capacity_ * 2);
  InternedString* entry = NewEntry(text, hash);
  entry->references = 1;
  entry->position = static_cast<std::uint32_t>(count_);
  entries_[count_] = entry;
  slots_[slot] = {hash, static_cast<std::uint32_t>(count_ + 1)};
  ++count_;
  return entry;
}

InternedString* StringPool::NewUnshared(std::string_view text) {
  InternedString* entry = NewEntry(text, 0);
  entry->references = 1;
  entry->position = InternedString::kUnshared;
  return entry;
}

InternedString* StringPool::NewEntry(std::string_view text, std::uint32_t hash) {
  std::size_t size = EntrySize(text.size());
  void* memory = size <= SmallObjectAllocator::kMaxBlockSize ? blocks_.Allocate(size) : heap_.Allocate(size);
  if (memory == nullptr) throw std::bad_alloc();
  InternedString* entry = static_cast<InternedString*>(memory);
  entry->order = OrderPrefix(text);
  entry->hash = hash;
  entry->length = static_cast<std::uint32_t>(text.size());
  char* copy = reinterpret_cast<char*>(entry + 1);
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return entry;
}

void StringPool::AddReference(InternedString* entry) noexcept {
  if (entry != EmptyEntry()) ++entry->references;
}

// The entry's slot goes (later slots of its run shift back, so no probe ever
// meets a hole), and the last entry of the list takes its position.
void StringPool::Release(InternedString* entry) noexcept {
  if (entry == EmptyEntry() || --entry->references != 0) return;
  if (!entry->Shared()) {
    FreeEntry(entry);
    return;
  }
  ForgetCached(entry);
  RemoveSlot(SlotOfPosition(entry->hash, entry->position));
  --count_;
  const std::uint32_t position = entry->position;
  if (position != count_) {
    InternedString* last = entries_[count_];
    slots_[SlotOfPosition(last->hash, static_cast<std::uint32_t>(count_))].entry = position + 1;
    last->position = position;
    entries_[position] = last;
  }
  FreeEntry(entry);
}

void StringPool::RemoveSlot(std::size_t hole) noexcept {
  for (std::size_t i = (hole + 1) & slotMask_; slots_[i].entry != 0; i = (i + 1) & slotMask_) {
    const std::size_t home = slots_[i].hash & slotMask_;
    // The slot may fill the hole when its home is not after the hole.
    if (((i - home) & slotMask_) >= ((i - hole) & slotMask_)) {
      slots_[hole] = slots_[i];
      hole = i;
    }
  }
  slots_[hole] = {0, 0};
}

void StringPool::FreeEntry(InternedString* entry) noexcept {
  std::size_t size = EntrySize(entry->length);
  if (size <= SmallObjectAllocator::kMaxBlockSize)
    blocks_.Free(entry, size);
  else
    heap_.Free(entry);
}

void StringPool::Reserve(std::size_t count) {
  std::size_t slots = SlotCount();
  while (slots * 3 < count * 4) slots *= 2;
  if (slots != SlotCount()) GrowSlots(slots);
  if (count > capacity_) GrowEntries(count);
}

// Slot counts stay powers of two so that a hash maps to its home by masking.
// Only the slots are read: every hash is stored in its slot.
void StringPool::GrowSlots(std::size_t slotCount) {
  Slot* grown = static_cast<Slot*>(std::calloc(slotCount, sizeof(Slot)));
  if (grown == nullptr) throw std::bad_alloc();
  const std::size_t mask = slotCount - 1;
  for (std::size_t i = 0; i <= slotMask_; ++i) {
    const Slot slot = slots_[i];
    if (slot.entry == 0) continue;
    std::size_t j = slot.hash & mask;
    while (grown[j].entry != 0) j = (j + 1) & mask;
    grown[j] = slot;
  }
  if (slots_ != initialSlots_) std::free(slots_);
  slots_ = grown;
  slotMask_ = mask;
}

// realloc, so that a large list is moved by remapping its pages rather than
// copied into freshly faulted ones.
void StringPool::GrowEntries(std::size_t capacity) {
  void* grown;
  if (entries_ == initialEntries_) {
    grown = std::malloc(capacity * sizeof(InternedString*));
    if (grown != nullptr) std::memcpy(grown, entries_, count_ * sizeof(InternedString*));
  } else {
    grown = std::realloc(entries_, capacity * sizeof(InternedString*));
  }
  if (grown == nullptr) throw std::bad_alloc();
  entries_ = static_cast<InternedString**>(grown);
  capacity_ = capacity;
}

// Twins go in the order of the source's list, so a source entry's position is
// its twin's. Each twin's slot is taken as it is made: the texts are known
// to differ, so no text is compared.
void StringPool::CloneEntries(const StringPool& source) {
  Reserve(source.count_);
  for (std::size_t i = 0; i < source.count_; ++i) {
    const InternedString& from = *source.entries_[i];
    InternedString* twin = NewEntry(from.View(), from.hash);
    twin->references = from.references;
    twin->position = static_cast<std::uint32_t>(count_);
    entries_[count_] = twin;
    std::size_t j = from.hash & slotMask_;
    while (slots_[j].entry != 0) j = (j + 1) & slotMask_;
    slots_[j] = {from.hash, static_cast<std::uint32_t>(count_ + 1)};
    ++count_;
  }
}

}  // namespace kel
