#include "platform/clock.h"

#include <time.h>

namespace kel::platform {

namespace {

uint64_t ReadClock(clockid_t clock, uint64_t unit_in_ns) {
  timespec now{};
  clock_gettime(clock, &now);
  return (static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec)) / unit_in_ns;
}

uint64_t FirstMonotonicReading() {
  static const uint64_t first = ReadClock(CLOCK_MONOTONIC, 1);
  return first;
}

}  // namespace

uint64_t MonotonicNanoseconds() {
  FirstMonotonicReading();
  return ReadClock(CLOCK_MONOTONIC, 1);
}

uint64_t NanosecondsSinceFirstUse() {
  const uint64_t first = FirstMonotonicReading();
  return ReadClock(CLOCK_MONOTONIC, 1) - first;
}

uint64_t WallClockMilliseconds() { return ReadClock(CLOCK_REALTIME, 1000000); }

}  // namespace kel::platform
