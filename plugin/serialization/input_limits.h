// The bounds that every reader applies to bytes from other processes.
//
// Nesting: the walks over a finished tree (clearing, copying, converting,
// writing) keep explicit work lists and take any depth. Two steps of the
// readers still recurse once per level: RapidJSON's parser, and the YAML
// reader measuring an anchored tree. So every reader refuses the first array
// or object that would open level kMaxNestingDepth + 1, which bounds their
// stack and gives the three readers one limit.
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
