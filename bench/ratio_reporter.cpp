#include "ratio_reporter.h"

#include <cstdio>

namespace kel::bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
      seconds_per_iteration_[run.benchmark_name()] = run.cpu_accumulated_time / static_cast<double>(run.iterations);
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  // The ratio leads each line so that a reader (or a script) finds it at the
  // same place whatever the label; the labels themselves never change.
  std::printf("\n%10s  %-36s %s\n", "ratio", "measured / reference", "goal");
  for (const RatioGoal& g : goals_) {
    const auto measured = seconds_per_iteration_.find(g.measured);
    const auto reference = seconds_per_iteration_.find(g.reference);
    if (measured == seconds_per_iteration_.end() || reference == seconds_per_iteration_.end()) continue;
    const double ratio = measured->second / reference->second;
    std::printf("%9.2fx  %-36s at most %.2fx: %s\n", ratio, g.label.c_str(), g.goal, ratio <= g.goal ? "met" : "MISSED");
  }
  std::fflush(stdout);
}

}  // namespace kel::bench
