#include "ratio_reporter.h"

#include <cstdio>
#include <optional>

namespace kel::bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
      seconds_per_iteration_[run.benchmark_name()] = run.cpu_accumulated_time / static_cast<double>(run.iterations);
      counters_[run.benchmark_name()] = run.counters;
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

std::optional<double> RatioReporter::Value(const std::string& benchmark, const std::string& counter) const {
  if (counter.empty()) {
    const auto found = seconds_per_iteration_.find(benchmark);
    if (found == seconds_per_iteration_.end()) return std::nullopt;
    return found->second;
  }
  const auto counters = counters_.find(benchmark);
  if (counters == counters_.end()) return std::nullopt;
  const auto found = counters->second.find(counter);
  if (found == counters->second.end()) return std::nullopt;
  return found->second.value;
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  // The ratio leads each line so that a reader (or a script) finds it at the
  // same place whatever the label; the labels themselves never change.
  std::printf("\n%10s  %-36s %s\n", "ratio", "measured / reference", "goal");
  for (const RatioGoal& g : goals_) {
    const std::optional<double> measured = Value(g.measured, g.counter);
    const std::optional<double> reference =
        Value(g.reference, g.reference_counter.empty() ? g.counter : g.reference_counter);
    if (!measured || !reference) continue;
    const double ratio = *measured / *reference;
    std::printf("%9.2fx  %-36s at most %.2fx: %s\n", ratio, g.label.c_str(), g.goal,
                ratio <= g.goal ? "met" : "MISSED");
  }
  std::fflush(stdout);
}

}  // namespace kel::bench
