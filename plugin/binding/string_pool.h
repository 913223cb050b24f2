#pragma once
// The interned strings of one value tree. Equal texts share one reference-
// counted entry; the empty text is one process-wide static entry that is
// never counted, pooled or freed.
//
// Not synchronised: one tree, one thread at a time.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kel {

class HeapBlocks;
class SmallObjectAllocator;

// The text follows the entry directly, NUL-terminated.
struct InternedString {
  InternedString* next;  // bucket chain
  std::uint32_t hash;
  std::uint32_t references;
  std::uint32_t length;

  const char* Text() const noexcept { return reinterpret_cast<const char*>(this + 1); }
  std::string_view View() const noexcept { return {Text(), length}; }
};

class StringPool {
 public:
  // Short entries live in pool blocks, long ones in heap blocks.
  StringPool(SmallObjectAllocator& blocks, HeapBlocks& heap) noexcept;
  ~StringPool();
  StringPool(const StringPool&) = delete;
  StringPool& operator=(const StringPool&) = delete;

  static InternedString* EmptyEntry() noexcept;

  // Returns the entry for the text with one more reference. Throws
  // std::bad_alloc when memory runs out.
  InternedString* Intern(std::string_view text);
  // The same with the text's FNV-1a hash already known (copies between trees).
  InternedString* InternHashed(std::string_view text, std::uint32_t hash);
  // Grows the table so that `count` entries stay within the load factor.
  void Reserve(std::size_t count);
  // Adds a reference to an entry of this pool (or the empty entry).
  static void AddReference(InternedString* entry) noexcept;
  // Drops a reference; the entry goes at zero.
  void Release(InternedString* entry) noexcept;

  std::size_t Count() const noexcept { return count_; }
  std::size_t BucketCount() const noexcept { return bucketCount_; }
  // The entry for a text, or null; no reference is taken (for tests).
  const InternedString* Find(std::string_view text) const noexcept;

 private:
  static constexpr std::size_t kInitialBuckets = 8;

  InternedString* FindInBucket(std::string_view text, std::uint32_t hash) const noexcept;
  void Rehash(std::size_t newCount);
  static std::size_t EntrySize(std::size_t length) noexcept;
  void FreeEntry(InternedString* entry) noexcept;

  SmallObjectAllocator& blocks_;
  HeapBlocks& heap_;
  InternedString** buckets_;
  std::size_t bucketCount_;
  std::size_t count_ = 0;
  InternedString* initialBuckets_[kInitialBuckets] = {};
};

}  // namespace kel
