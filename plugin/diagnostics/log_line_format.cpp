#include "diagnostics/log_line_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "diagnostics/log.h"
#include "diagnostics/log_groups.h"
#include "platform/clock.h"
#include "platform/process_info.h"

namespace kel::log {

namespace {

// Appends text while at least two bytes of the buffer remain, keeping room
// for the closing "\n" and the NUL.
class LineWriter {
 public:
  LineWriter(char* buffer, size_t size) : buffer_(buffer), size_(size) {}

  void Append(const char* text, size_t length) {
    const size_t room = size_ - 2 - length_;
    if (length > room) length = room;
    std::memcpy(buffer_ + length_, text, length);
    length_ += length;
  }
  void Append(const char* text) { Append(text, std::strlen(text)); }
  void Append(char c) { Append(&c, 1); }
  bool Full() const { return length_ + 2 >= size_; }

  size_t Finish() {
    if (length_ == 0 || buffer_[length_ - 1] != '\n') buffer_[length_++] = '\n';
    buffer_[length_] = '\0';
    return length_;
  }

 private:
  char* buffer_;
  size_t size_;
  size_t length_ = 0;
};

void AppendCode(LineWriter& line, char code, const LogRecord& record) {
  char scratch[64];
  switch (code) {
    case 'D':
      FormatTimestamp(scratch, sizeof scratch, record.time);
      line.Append(scratch);
      break;
    case 'E': line.Append(ExecutableName()); break;
    case 'G': line.Append(GroupsToText(record.groups()).c_str()); break;
    case 'H': {
      const uint64_t ms = platform::NanosecondsSinceFirstUse() / 1000000;
      std::snprintf(scratch, sizeof scratch, "%06d.%03d", static_cast<int>(ms / 1000), static_cast<int>(ms % 1000));
      line.Append(scratch);
      break;
    }
    case 'L': line.Append(LevelName(record.level)); break;
    case 'M': line.Append(record.message ? record.message : ""); break;
    case 'T':
      std::snprintf(scratch, sizeof scratch, "%p",
                    reinterpret_cast<void*>(static_cast<uintptr_t>(platform::CurrentThreadId())));
      line.Append(scratch);
      break;
    default: line.Append(code); break;
  }
}

}  // namespace

size_t FormatLine(char* buffer, size_t size, const char* format, const LogRecord& record) {
  if (size < 2) {
    if (size == 1) buffer[0] = '\0';
    return 0;
  }
  LineWriter line(buffer, size);
  for (const char* p = format; *p && !line.Full(); ++p) {
    if (*p == '#' && p[1] != '\0') {
      AppendCode(line, *++p, record);
    } else {
      line.Append(*p);
    }
  }
  return line.Finish();
}

int FormatTimestamp(char* buffer, size_t size, const platform::LocalTime& time) {
  return std::snprintf(buffer, size, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", time.year, time.month, time.day, time.hour,
                       time.minute, time.second, time.millisecond);
}

int FormatFileNameTimestamp(char* buffer, size_t size, const platform::LocalTime& time) {
  return std::snprintf(buffer, size, "%04d-%02d-%02dT%02d-%02d-%02d", time.year, time.month, time.day, time.hour,
                       time.minute, time.second);
}

}  // namespace kel::log
