// Local calendar time, as stamped on log records.
#pragma once

#include <cstdint>

namespace kel::platform {

struct LocalTime {
  uint16_t year = 0;
  uint16_t month = 0;  // 1-12
  uint16_t day = 0;    // 1-31
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t millisecond = 0;
};

LocalTime CurrentLocalTime();

}  // namespace kel::platform
