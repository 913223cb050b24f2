#pragma once
// The interned strings of one value tree. Equal texts share one reference-
// counted entry; the empty text is one process-wide static entry that is
// never counted, pooled or freed.
//
// Entries sit in a dense list (each knows its position) and are found through
// an open-addressed table of (hash, position) slots: a probe compares the
// stored hash before it touches an entry, and growing the table reads only
// the slots. Texts of up to 16 bytes are found again without hashing through
// a small direct-mapped cache (see ShortText). A copy of a whole tree clones the dense list once and then maps
// each source entry to its twin by position, with no hashing or probing.
//
// Not synchronised: one tree, one thread at a time.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kel {

class HeapBlocks;
class SmallObjectAllocator;

// The bytes of a text of up to 8 bytes, zero-padded, as memcpy into a zeroed
// word would leave them. Built from overlapping fixed-size loads: a copy of
// variable length through memory stalls the load that reads the word back.
inline std::uint64_t LoadPadded(const char* text, std::size_t length) noexcept {
  std::uint64_t word = 0;
  if constexpr (std::endian::native != std::endian::little) {
    std::memcpy(&word, text, length);
    return word;
  }
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  if (length >= 8) {
    std::memcpy(&word, bytes, 8);
  } else if (length >= 4) {
    std::uint32_t low, high;
    std::memcpy(&low, bytes, 4);
    std::memcpy(&high, bytes + length - 4, 4);
    word = low | (std::uint64_t{high} << (8 * (length - 4)));
  } else if (length != 0) {
    word = bytes[0] | (std::uint64_t{bytes[length / 2]} << (8 * (length / 2))) |
           (std::uint64_t{bytes[length - 1]} << (8 * (length - 1)));
  }
  return word;
}

// The first eight bytes of a text, zero-padded, as a number whose order is
// the texts' unsigned byte order wherever two prefixes differ (a text that
// ends early pads with zeros, and a shorter text sorts first). Equal
// prefixes say nothing: the texts are then compared in full.
inline std::uint64_t OrderPrefix(std::string_view text) noexcept {
  std::uint64_t word = LoadPadded(text.data(), text.size() < 8 ? text.size() : 8);
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
  return word;
}

// The text follows the entry directly, NUL-terminated.
struct InternedString {
  std::uint64_t order;  // OrderPrefix of the text
  std::uint32_t hash;   // FNV-1a of the text
  std::uint32_t references;
  std::uint32_t length;
  std::uint32_t position;  // in the pool's dense list, or kUnshared

  static constexpr std::uint32_t kUnshared = 0xFFFFFFFFu;  // hash is then not computed (0)
  bool Shared() const noexcept { return position != kUnshared; }

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
  // The same with the text's FNV-1a hash already known.
  InternedString* InternHashed(std::string_view text, std::uint32_t hash);
  // A value's text: shared like a key up to kSharedValueMax bytes, an
  // unshared entry beyond.
  InternedString* InternValue(std::string_view text) {
    return text.size() > kSharedValueMax ? NewUnshared(text) : Intern(text);
  }
  // Nearly every value text of the served game data above this length is
  // unique, and nearly every repeated one (names, enum-like words) is
  // shorter; see docs/architecture.md for the measurement.
  static constexpr std::size_t kSharedValueMax = 32;
  // Grows the table and the list so that `count` entries fit without growing.
  void Reserve(std::size_t count);
  // Adds a reference to an entry of this pool (or the empty entry).
  static void AddReference(InternedString* entry) noexcept;
  // Drops a reference; the entry goes at zero.
  void Release(InternedString* entry) noexcept;

  // For copying a whole tree into a tree whose pool is empty: gives this pool
  // a twin of every entry of `source`, at the same positions and with the
  // same reference counts, which the copy then holds (a source tree is
  // referenced only by its own values). Throws std::bad_alloc when memory
  // runs out; twins of a copy cut short by that stay counted, and so kept,
  // until the tree goes.
  void CloneEntries(const StringPool& source);
  // The twin of a source entry after CloneEntries; its reference is already
  // counted.
  // Unshared entries have no twin: they are copied (CopyOfUnshared).
  InternedString* TwinOf(const InternedString* sourceEntry) const noexcept { return entries_[sourceEntry->position]; }
  InternedString* CopyOfUnshared(const InternedString* sourceEntry) { return NewUnshared(sourceEntry->View()); }

  std::size_t Count() const noexcept { return count_; }
  std::size_t SlotCount() const noexcept { return slotMask_ + 1; }
  // The shared entry for a text, or null; no reference is taken (for tests).
  const InternedString* Find(std::string_view text) const noexcept;

 private:
  // entry: position + 1, 0 for a free slot.
  struct Slot {
    std::uint32_t hash;
    std::uint32_t entry;
  };
  // A text of 1..16 bytes is exactly its length and two (overlapping or
  // zero-padded) 8-byte words, so comparing those three compares the text.
  struct ShortText {
    std::uint64_t first;
    std::uint64_t last;
    std::uint32_t length;
  };
  struct CacheLine {
    ShortText text;
    InternedString* entry;  // null for an empty line
  };
  static constexpr std::size_t kShortTextMax = 16;
  static constexpr std::size_t kCacheLines = 256;
  // Trees that intern fewer texts do not pay for the cache. Counted in
  // lookups, not entries: a large document may hold only a score of
  // distinct keys, each looked up thousands of times.
  static constexpr std::size_t kCacheFromLookups = 64;
  // Inline: returned through memory, the key's halves stall the loads that
  // read them back.
  static ShortText ShortTextOf(const char* text, std::size_t length) noexcept {
    ShortText key{LoadPadded(text, length < 8 ? length : 8), 0, static_cast<std::uint32_t>(length)};
    if (length >= 8) std::memcpy(&key.last, text + length - 8, 8);
    return key;
  }
  static std::size_t CacheLineOf(const ShortText& text) noexcept {
    std::uint64_t mixed = (text.first ^ (text.last * 0xC2B2AE3D27D4EB4Full) ^ text.length) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(mixed >> 56);
  }
  void ForgetCached(const InternedString* entry) noexcept;

  static constexpr std::size_t kInitialSlots = 16;
  static constexpr std::size_t kInitialEntries = kInitialSlots * 3 / 4;

  std::size_t SlotOf(std::string_view text, std::uint32_t hash) const noexcept;
  std::size_t SlotOfPosition(std::uint32_t hash, std::uint32_t position) const noexcept;
  void RemoveSlot(std::size_t slot) noexcept;
  void GrowSlots(std::size_t slotCount);
  void GrowEntries(std::size_t capacity);
  InternedString* NewEntry(std::string_view text, std::uint32_t hash);
  InternedString* NewUnshared(std::string_view text);
  static std::size_t EntrySize(std::size_t length) noexcept;
  void FreeEntry(InternedString* entry) noexcept;

  SmallObjectAllocator& blocks_;
  HeapBlocks& heap_;
  Slot* slots_;
  std::size_t slotMask_;
  InternedString** entries_;
  std::size_t capacity_;
  std::size_t count_ = 0;
  CacheLine* cache_ = nullptr;  // kCacheLines, from kCacheFromLookups lookups on
  std::size_t uncachedLookups_ = 0;
  Slot initialSlots_[kInitialSlots] = {};
  InternedString* initialEntries_[kInitialEntries] = {};
};

}  // namespace kel
