// One bound on how deeply arrays and objects may nest in any text or bytes
// that the readers accept. The readers take bodies from other processes, and
// everything that later walks a value tree (clearing, copying, converting,
// writing) descends once per level, so an unbounded depth would let a
// hostile body exhaust the stack. Every reader refuses the first container
// that would open level kMaxNestingDepth + 1 with kNestingLimitText.
#pragma once

namespace kel {

inline constexpr unsigned kMaxNestingDepth = 512;

inline constexpr const char kNestingLimitText[] =
    "Nesting is deeper than the limit of 512 levels.";

}  // namespace kel
