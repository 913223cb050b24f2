// The core's threads: a fixed pool that runs the plug-in's inbound requests,
// event deliveries and scheduled callbacks, any number at once.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kel::host {

enum class JobKind : uint8_t { kRequest, kEvent, kTask };

struct Job {
  JobKind kind = JobKind::kTask;
  std::function<void()> run;
  // Called instead of `run` when the job is dropped (the pool closed before
  // it ran), so that whoever waits for it learns so. May be empty.
  std::function<void()> discard;
};

struct PoolCounters {
  uint64_t submitted = 0;
  uint64_t ran = 0;         // on a worker or through a pump
  uint64_t ran_pumped = 0;  // of those, on a thread that pumped
  uint64_t discarded = 0;
  uint64_t queued = 0;
  uint64_t running = 0;
};

class WorkerPool {
 public:
  explicit WorkerPool(std::size_t threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Queues the job; false (after calling its discard) once the pool is closed.
  bool Submit(Job job);
  // Runs one queued request or task on the calling thread (a pump). Event
  // deliveries are left to the workers: an event handler may take a lock
  // that the pumping thread already holds around its wait (the plug-in's
  // pre-shutdown handler takes the lock its game-data task holds while it
  // reads a streamed body), and a thread cannot wait for itself.
  bool RunOnePendingHere();
  // Stops accepting jobs, discards the queued ones, waits for the running
  // ones (and whatever they pump) to finish and joins the workers. Safe to
  // call more than once; never from a job.
  void Close();

  PoolCounters Counters() const;

 private:
  void WorkerLoop();
  void Run(Job& job, bool pumped);

  mutable std::mutex mutex_;
  std::condition_variable work_ready_;
  std::deque<Job> queue_;
  bool closed_ = false;
  PoolCounters counters_;
  std::vector<std::thread> threads_;
};

}  // namespace kel::host
