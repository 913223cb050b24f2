// The two clocks of the plug-in.
#pragma once

#include <cstdint>

namespace kel::platform {

// Monotonic clock in nanoseconds, unaffected by changes of the wall clock.
// Due times of delayed tasks and waits are expressed on it.
uint64_t MonotonicNanoseconds();

// Nanoseconds since the first reading of the monotonic clock in this
// process (through this function or MonotonicNanoseconds).
uint64_t NanosecondsSinceFirstUse();

// Wall clock: milliseconds since 1970-01-01 00:00 UTC.
uint64_t WallClockMilliseconds();

}  // namespace kel::platform
