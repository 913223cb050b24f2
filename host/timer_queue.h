// Delayed jobs: ScheduleCallback's delays. One thread sleeps until the
// earliest due time and hands due jobs to the worker pool.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

#include "host/worker_pool.h"

namespace kel::host {

class TimerQueue {
 public:
  using Clock = std::chrono::steady_clock;

  explicit TimerQueue(WorkerPool& pool);
  ~TimerQueue();
  TimerQueue(const TimerQueue&) = delete;
  TimerQueue& operator=(const TimerQueue&) = delete;

  // Hands `job` to the pool once `delay` has passed (at once for 0). After
  // Close every job is discarded, due or not.
  void Schedule(Clock::duration delay, Job job);
  // Discards every job not yet due and stops the thread. Idempotent.
  void Close();

  uint64_t Pending() const;

 private:
  void Loop();

  WorkerPool& pool_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  // Due time, then arrival order, so that equal due times keep their order.
  std::multimap<Clock::time_point, Job> due_;
  bool closed_ = false;
  std::thread thread_;
};

}  // namespace kel::host
