#include "host/host_log.h"

#include <algorithm>

#include "diagnostics/log_line_format.h"
#include "diagnostics/log_record.h"

namespace kel::host {

HostLog::HostLog(std::FILE* out, std::size_t keep) : out_(out), keep_(std::max<std::size_t>(keep, 1)) {}

void HostLog::Write(uint32_t level, std::string_view text) {
  // The same line format as the plug-in's own targets, so that its lines
  // look alike wherever they end up.
  const std::string message(text.substr(0, log::kMaxLogText));
  log::LogRecord record;
  record.time = platform::CurrentLocalTime();
  record.level = level;
  record.message = message.c_str();
  char line[log::kMaxLogText + 1];
  const std::size_t length = log::FormatLine(line, sizeof line, "#D| #L| #M", record);
  std::lock_guard lock(mutex_);
  if (out_ != nullptr) {
    std::fwrite(line, 1, length, out_);
    std::fflush(out_);
  }
  std::string kept(line, length);
  if (!kept.empty() && kept.back() == '\n') kept.pop_back();
  lines_.push_back(std::move(kept));
  while (lines_.size() > keep_) lines_.pop_front();
}

std::vector<std::string> HostLog::Recent(std::size_t count) const {
  std::lock_guard lock(mutex_);
  const std::size_t first = lines_.size() > count ? lines_.size() - count : 0;
  return {lines_.begin() + static_cast<std::ptrdiff_t>(first), lines_.end()};
}

}  // namespace kel::host
