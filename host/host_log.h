// The host's own log: lines from the plug-in (WriteLog) and from the host,
// stamped with the local time and the level, written to a stream and kept in
// a bounded list for the control API.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kel::host {

class HostLog {
 public:
  // `out` may be null (lines are then only kept). `keep` bounds the list.
  explicit HostLog(std::FILE* out, std::size_t keep = 4000);

  // Any thread. `level` uses the plug-in's levels (0 okay .. 3 always).
  void Write(uint32_t level, std::string_view text);
  // The newest `count` lines, oldest first.
  std::vector<std::string> Recent(std::size_t count) const;

 private:
  // Longer texts are cut here.
  static constexpr std::size_t kMaxText = 4096;

  std::FILE* out_;
  std::size_t keep_;
  mutable std::mutex mutex_;
  std::deque<std::string> lines_;
};

}  // namespace kel::host
