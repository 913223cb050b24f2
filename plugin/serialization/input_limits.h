// The bounds that every reader applies to bytes from other processes.
//
// Nesting: everything that later walks a value tree (converting, writing)
// descends once per level, so an unbounded depth would let a hostile body
// exhaust the stack. Every reader refuses the first array or object that
// would open level kMaxNestingDepth + 1.
//
// Length: a collection cannot hold more than kMaxCollectionSize elements;
// the readers refuse a longer array instead of letting the value throw.
#pragma once

#include "binding/binding_value.h"

namespace kel {

inline constexpr unsigned kMaxNestingDepth = 512;

inline constexpr const char kNestingLimitText[] = "Nesting is deeper than the limit of 512 levels.";

inline constexpr const char kCollectionLimitText[] = "An array is longer than the limit of 268435455 elements.";
static_assert(kMaxCollectionSize == 268435455);

// The readers ready a tree's string pool for one distinct shared text per
// this many input bytes (the served documents hold one per 140 to 160), so
// that a large document grows the pool at most once. Inputs shorter than
// kReserveTextsFrom bytes leave the pool to grow as it goes.
inline constexpr size_t kInputBytesPerText = 128;
inline constexpr size_t kReserveTextsFrom = 4096;
inline void ReserveTextsFor(BindingValue& root, size_t inputBytes) noexcept {
  if (inputBytes >= kReserveTextsFrom) root.ReserveTexts(inputBytes / kInputBytesPerText);
}

}  // namespace kel
