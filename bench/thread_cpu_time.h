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

// One turn of a body timed in turns with others: it runs once untimed, so
// that what it reads is as warm as in a loop of its own and not evicted by
// the body timed before it, then `runs` times timed. Returns those runs'
// CPU seconds on this thread.
template <typename Body>
double WarmedTurnSeconds(Body&& body, int runs = 1) {
  body();
  const double start = ThreadCpuSeconds();
  for (int run = 0; run < runs; ++run) body();
  return ThreadCpuSeconds() - start;
}

}  // namespace kel::bench
