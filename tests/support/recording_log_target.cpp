#include "support/recording_log_target.h"

#include <algorithm>

#include "diagnostics/log.h"

namespace kel::testing {

RecordingLogTarget::RecordingLogTarget() {
  SetThreshold(log::kOkay);
  Attach();
}

RecordingLogTarget::~RecordingLogTarget() { Detach(); }

bool RecordingLogTarget::Write(const log::LogRecord& record) {
  std::lock_guard lock(lines_mutex_);
  lines_.push_back({record.level, record.groups(), record.message});
  return true;
}

std::vector<RecordedLine> RecordingLogTarget::Lines() const {
  std::lock_guard lock(lines_mutex_);
  return lines_;
}

std::vector<std::string> RecordingLogTarget::Messages() const {
  std::lock_guard lock(lines_mutex_);
  std::vector<std::string> messages;
  for (const RecordedLine& line : lines_) messages.push_back(line.message);
  return messages;
}

bool RecordingLogTarget::Has(std::string_view message) const {
  std::lock_guard lock(lines_mutex_);
  return std::any_of(lines_.begin(), lines_.end(),
                     [message](const RecordedLine& line) { return line.message == message; });
}

}  // namespace kel::testing
