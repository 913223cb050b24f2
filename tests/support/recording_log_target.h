// A log target for tests: keeps every record it is given. Attaches itself
// on construction with no threshold and no group masks, and detaches when
// destroyed.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/log_target.h"

namespace kel::testing {

struct RecordedLine {
  uint32_t level;
  uint64_t groups;
  std::string message;
};

class RecordingLogTarget final : public log::LogTarget {
 public:
  RecordingLogTarget();
  ~RecordingLogTarget() override;

  const char* GetName() const override { return "RecordingLogTarget"; }
  bool Write(const log::LogRecord& record) override;

  std::vector<RecordedLine> Lines() const;
  // Messages only, in arrival order.
  std::vector<std::string> Messages() const;
  // Whether a record with exactly this message came.
  bool Has(std::string_view message) const;

 private:
  mutable std::mutex lines_mutex_;
  std::vector<RecordedLine> lines_;
};

}  // namespace kel::testing
