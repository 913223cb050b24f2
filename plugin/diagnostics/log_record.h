// What the log hands to each of its targets for one message.
#pragma once

#include <cstdint>

#include "platform/local_time.h"

namespace kel::log {

enum Level : uint32_t { kOkay = 0, kWarn = 1, kError = 2, kAlways = 3 };

struct LogRecord {
  platform::LocalTime time;
  uint32_t level = kOkay;
  uint32_t groups_low = 0;
  uint32_t groups_high = 0;
  const char* message = "";  // NUL-terminated, at most 4095 bytes

  uint64_t groups() const { return (static_cast<uint64_t>(groups_high) << 32) | groups_low; }
};

// Longest message text, without its NUL; also the size of a formatted line
// buffer less one.
inline constexpr uint32_t kMaxLogText = 4095;

// The six-character, right-aligned name of a level ("  OKAY", "  WARN",
// " ERROR", "ALWAYS"); levels past 3 are shown as "     ?".
const char* LevelName(uint32_t level);

}  // namespace kel::log
