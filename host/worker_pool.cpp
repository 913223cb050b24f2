#include "host/worker_pool.h"

#include <algorithm>

namespace kel::host {

WorkerPool::WorkerPool(std::size_t threads) {
  threads_.reserve(threads);
  for (std::size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { WorkerLoop(); });
}

WorkerPool::~WorkerPool() { Close(); }

bool WorkerPool::Submit(Job job) {
  {
    std::lock_guard lock(mutex_);
    if (!closed_) {
      ++counters_.submitted;
      queue_.push_back(std::move(job));
      ++counters_.queued;
      work_ready_.notify_one();
      return true;
    }
    ++counters_.discarded;
  }
  if (job.discard) job.discard();
  return false;
}

bool WorkerPool::RunOnePendingHere() {
  Job job;
  {
    std::lock_guard lock(mutex_);
    const auto found =
        std::find_if(queue_.begin(), queue_.end(), [](const Job& queued) { return queued.kind != JobKind::kEvent; });
    if (found == queue_.end()) return false;
    job = std::move(*found);
    queue_.erase(found);
    --counters_.queued;
    ++counters_.running;
  }
  Run(job, true);
  return true;
}

void WorkerPool::Close() {
  std::deque<Job> dropped;
  {
    std::lock_guard lock(mutex_);
    if (closed_ && threads_.empty()) return;
    closed_ = true;
    dropped.swap(queue_);
    counters_.discarded += dropped.size();
    counters_.queued = 0;
  }
  work_ready_.notify_all();
  for (Job& job : dropped) {
    if (job.discard) job.discard();
  }
  // A worker leaves only when the queue is empty and the pool closed, so
  // joining them waits for every running job, pumps included.
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

PoolCounters WorkerPool::Counters() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

void WorkerPool::WorkerLoop() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      work_ready_.wait(lock, [this] { return closed_ || !queue_.empty(); });
      if (queue_.empty()) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      --counters_.queued;
      ++counters_.running;
    }
    Run(job, false);
  }
}

void WorkerPool::Run(Job& job, bool pumped) {
  try {
    if (job.run) job.run();
  } catch (...) {
    // A job of the host's own that failed to allocate; the pool goes on.
  }
  job = Job();  // whatever the job captured is released outside the lock
  std::lock_guard lock(mutex_);
  --counters_.running;
  ++counters_.ran;
  if (pumped) ++counters_.ran_pumped;
}

}  // namespace kel::host
