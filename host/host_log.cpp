#include "host/host_log.h"

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace kel::host {

HostLog::HostLog(std::FILE* out, std::size_t keep) : out_(out), keep_(std::max<std::size_t>(keep, 1)) {}

void HostLog::Write(uint32_t level, std::string_view text) {
  // "2026-12-07T11:40:02.123|   OKAY| text": local time, level, message,
  // the way the client's own log lines look.
  static constexpr const char* kLevels[] = {"  OKAY", "  WARN", " ERROR", "ALWAYS"};
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%03d| %s| ", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms),
                level < 4 ? kLevels[level] : "     ?");
  std::string line = stamp;
  line.append(text.substr(0, kMaxText));
  std::lock_guard lock(mutex_);
  if (out_ != nullptr) {
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
  }
  lines_.push_back(std::move(line));
  while (lines_.size() > keep_) lines_.pop_front();
}

std::vector<std::string> HostLog::Recent(std::size_t count) const {
  std::lock_guard lock(mutex_);
  const std::size_t first = lines_.size() > count ? lines_.size() - count : 0;
  return {lines_.begin() + static_cast<std::ptrdiff_t>(first), lines_.end()};
}

}  // namespace kel::host
