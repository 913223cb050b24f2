// The text form of log records, for targets that write lines.
#pragma once

#include <cstddef>

#include "diagnostics/log_record.h"
#include "platform/local_time.h"

namespace kel::log {

// Expands a line format into `buffer` (NUL-terminated, `size` bytes):
//   #D time stamp   #E executable name   #G groups   #H seconds since start
//   #L level name   #M message           #T thread id
// "#" before any other character yields that character. Output stops when
// fewer than two bytes remain, and the line ends with exactly one "\n" (none
// is added after a message that ends with one). Returns the line's length.
size_t FormatLine(char* buffer, size_t size, const char* format, const LogRecord& record);

// "2024-05-01T13:45:07.123" and "2024-05-01T13-45-07". Both return the
// length written, like snprintf.
int FormatTimestamp(char* buffer, size_t size, const platform::LocalTime& time);
int FormatFileNameTimestamp(char* buffer, size_t size, const platform::LocalTime& time);

}  // namespace kel::log
