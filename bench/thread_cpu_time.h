// CPU time of the calling thread, for benchmarks that time two bodies in
// turns within each iteration and report each as a counter.
#pragma once

#include <ctime>

namespace kel::bench {

inline double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The CPU seconds `body()` takes on this thread.
template <typename Body>
double ThreadCpuSecondsOf(Body&& body) {
  const double start = ThreadCpuSeconds();
  body();
  return ThreadCpuSeconds() - start;
}

}  // namespace kel::bench
