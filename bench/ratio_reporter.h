// Console output of Google Benchmark plus, at the end, the ratio of each
// measured case to its reference case with the goal it is held to. Ratios
// use CPU time: the build machines are shared, and wall time there mostly
// measures the neighbours.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kel::bench {

struct RatioGoal {
  std::string label;
  std::string measured;           // benchmark name
  std::string reference;          // benchmark name
  double goal;                    // highest acceptable measured / reference
  std::string counter;            // when set, this user counter of both runs is compared, not their CPU time
  std::string reference_counter;  // when set, the reference run's counter, where it differs from `counter`
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::vector<RatioGoal> goals) : goals_(std::move(goals)) {}

  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  // Seconds per iteration, or the named counter; none when not measured.
  std::optional<double> Value(const std::string& benchmark, const std::string& counter) const;

  std::vector<RatioGoal> goals_;
  std::map<std::string, double> seconds_per_iteration_;
  std::map<std::string, benchmark::UserCounters> counters_;
};

}  // namespace kel::bench
