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

StaticEmptyEntry gEmptyEntry = {{nullptr, kFnv1aOffsetBasis, 0, 0}, '\0'};

}  // namespace

StringPool::StringPool(SmallObjectAllocator& blocks, HeapBlocks& heap) noexcept
    : blocks_(blocks), heap_(heap), buckets_(initialBuckets_), bucketCount_(kInitialBuckets) {}

// A tree discarded whole leaves its entries here; they go with the pool
// blocks and heap blocks of the context.
StringPool::~StringPool() {
  if (buckets_ != initialBuckets_) std::free(buckets_);
}

InternedString* StringPool::EmptyEntry() noexcept { return &gEmptyEntry.entry; }

// Rounded to the entry's alignment so that pooled entries of any size class
// stay aligned.
std::size_t StringPool::EntrySize(std::size_t length) noexcept {
  std::size_t size = sizeof(InternedString) + length + 1;
  return (size + alignof(InternedString) - 1) / alignof(InternedString) * alignof(InternedString);
}

InternedString* StringPool::FindInBucket(std::string_view text, std::uint32_t hash) const noexcept {
  for (InternedString* entry = buckets_[hash & (bucketCount_ - 1)]; entry != nullptr; entry = entry->next) {
    if (entry->hash == hash && entry->length == text.size() &&
        std::memcmp(entry->Text(), text.data(), text.size()) == 0) {
      return entry;
    }
  }
  return nullptr;
}

const InternedString* StringPool::Find(std::string_view text) const noexcept {
  if (text.empty()) return EmptyEntry();
  return FindInBucket(text, Fnv1a32(text));
}

InternedString* StringPool::Intern(std::string_view text) {
  return text.empty() ? EmptyEntry() : InternHashed(text, Fnv1a32(text));
}

InternedString* StringPool::InternHashed(std::string_view text, std::uint32_t hash) {
  if (text.empty()) return EmptyEntry();
  if (InternedString* found = FindInBucket(text, hash)) {
    ++found->references;
    return found;
  }
  if (count_ + 1 > bucketCount_) Rehash(bucketCount_ * 2);
  std::size_t size = EntrySize(text.size());
  void* memory = size <= SmallObjectAllocator::kMaxBlockSize ? blocks_.Allocate(size) : heap_.Allocate(size);
  if (memory == nullptr) throw std::bad_alloc();
  InternedString* entry = static_cast<InternedString*>(memory);
  entry->hash = hash;
  entry->references = 1;
  entry->length = static_cast<std::uint32_t>(text.size());
  char* copy = reinterpret_cast<char*>(entry + 1);
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  InternedString*& bucket = buckets_[hash & (bucketCount_ - 1)];
  entry->next = bucket;
  bucket = entry;
  ++count_;
  return entry;
}

void StringPool::AddReference(InternedString* entry) noexcept {
  if (entry != EmptyEntry()) ++entry->references;
}

void StringPool::Release(InternedString* entry) noexcept {
  if (entry == EmptyEntry() || --entry->references != 0) return;
  InternedString** link = &buckets_[entry->hash & (bucketCount_ - 1)];
  while (*link != entry) link = &(*link)->next;
  *link = entry->next;
  --count_;
  FreeEntry(entry);
}

void StringPool::FreeEntry(InternedString* entry) noexcept {
  std::size_t size = EntrySize(entry->length);
  if (size <= SmallObjectAllocator::kMaxBlockSize) blocks_.Free(entry, size);
  else heap_.Free(entry);
}

void StringPool::Reserve(std::size_t count) {
  std::size_t buckets = bucketCount_;
  while (buckets < count) buckets *= 2;
  if (buckets != bucketCount_) Rehash(buckets);
}

// Bucket counts stay powers of two so that a hash maps to its bucket by
// masking.
void StringPool::Rehash(std::size_t newCount) {
  InternedString** newBuckets = static_cast<InternedString**>(std::calloc(newCount, sizeof(InternedString*)));
  if (newBuckets == nullptr) throw std::bad_alloc();
  for (std::size_t i = 0; i < bucketCount_; ++i) {
    for (InternedString* entry = buckets_[i]; entry != nullptr;) {
      InternedString* next = entry->next;
      InternedString*& bucket = newBuckets[entry->hash & (newCount - 1)];
      entry->next = bucket;
      bucket = entry;
      entry = next;
    }
  }
  if (buckets_ != initialBuckets_) std::free(buckets_);
  buckets_ = newBuckets;
  bucketCount_ = newCount;
}

}  // namespace kel
