#include "host/timer_queue.h"

#include <vector>

namespace kel::host {

TimerQueue::TimerQueue(WorkerPool& pool) : pool_(pool), thread_([this] { Loop(); }) {}

TimerQueue::~TimerQueue() { Close(); }

void TimerQueue::Schedule(Clock::duration delay, Job job) {
  {
    std::unique_lock lock(mutex_);
    if (!closed_ && delay > Clock::duration::zero()) {
      due_.emplace(Clock::now() + delay, std::move(job));
      changed_.notify_one();
      return;
    }
    if (!closed_) {
      lock.unlock();
      pool_.Submit(std::move(job));
      return;
    }
  }
  if (job.discard) job.discard();
}

void TimerQueue::Close() {
  std::multimap<Clock::time_point, Job> dropped;
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    closed_ = true;
    dropped.swap(due_);
  }
  changed_.notify_all();
  thread_.join();
  for (auto& [when, job] : dropped) {
    if (job.discard) job.discard();
  }
}

uint64_t TimerQueue::Pending() const {
  std::lock_guard lock(mutex_);
  return due_.size();
}

void TimerQueue::Loop() {
  std::unique_lock lock(mutex_);
  while (!closed_) {
    if (due_.empty()) {
      changed_.wait(lock);
      continue;
    }
    const Clock::time_point next = due_.begin()->first;
    if (Clock::now() < next) {
      changed_.wait_until(lock, next);
      continue;
    }
    std::vector<Job> ready;
    const Clock::time_point now = Clock::now();
    while (!due_.empty() && due_.begin()->first <= now) {
      ready.push_back(std::move(due_.begin()->second));
      due_.erase(due_.begin());
    }
    lock.unlock();
    for (Job& job : ready) pool_.Submit(std::move(job));
    lock.lock();
  }
}

}  // namespace kel::host
