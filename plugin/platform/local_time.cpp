#include "platform/local_time.h"

#include <time.h>

namespace kel::platform {

LocalTime CurrentLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm parts{};
  localtime_r(&now.tv_sec, &parts);
  LocalTime time;
  time.year = static_cast<uint16_t>(parts.tm_year + 1900);
  time.month = static_cast<uint16_t>(parts.tm_mon + 1);
  time.day = static_cast<uint16_t>(parts.tm_mday);
  time.hour = static_cast<uint16_t>(parts.tm_hour);
  time.minute = static_cast<uint16_t>(parts.tm_min);
  time.second = static_cast<uint16_t>(parts.tm_sec);
  time.millisecond = static_cast<uint16_t>(now.tv_nsec / 1000000);
  return time;
}

}  // namespace kel::platform
