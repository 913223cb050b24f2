// A log target for tests: keeps every record it is given. Attaches itself
// on construction with no threshold and no group masks, and detaches when
// destroyed.
#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/log.h"
#include "diagnostics/log_target.h"

namespace kel::testing {

struct RecordedLine {
  uint32_t level;
  uint64_t groups;
  std::string message;
};

class RecordingLogTarget final : public log::LogTarget {
 public:
  RecordingLogTarget() {
    SetThreshold(log::kOkay);
    Attach();
  }
  ~RecordingLogTarget() override { Detach(); }

  const char* GetName() const override { return "RecordingLogTarget"; }
  bool Write(const log::LogRecord& record) override {
    std::lock_guard lock(lines_mutex_);
    lines_.push_back({record.level, record.groups(), record.message});
    return true;
  }

  std::vector<RecordedLine> Lines() const {
    std::lock_guard lock(lines_mutex_);
    return lines_;
  }
  // Messages only, in arrival order.
  std::vector<std::string> Messages() const {
    std::vector<std::string> messages;
    for (const RecordedLine& line : Lines()) messages.push_back(line.message);
    return messages;
  }
  // Whether a record with exactly this message came.
  bool Has(std::string_view message) const {
    const std::vector<std::string> messages = Messages();
    return std::find(messages.begin(), messages.end(), message) != messages.end();
  }

 private:
  mutable std::mutex lines_mutex_;
  std::vector<RecordedLine> lines_;
};

}  // namespace kel::testing
