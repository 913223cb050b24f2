// The HTTP server's connection threads: a connection is served on a thread
// of its own, started when every thread is busy, up to a bound; past the
// bound a connection waits for a thread. Idle keep-alive connections and
// event streams hold a thread each, so a small fixed pool would let a few of
// them keep every other client waiting.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kel::host {

class ConnectionPool final : public httplib::TaskQueue {
 public:
  explicit ConnectionPool(std::size_t max_threads) : max_threads_(max_threads) {}
  ~ConnectionPool() override { shutdown(); }

  void enqueue(std::function<void()> connection) override;
  // Serves what is queued, then joins every thread. The server calls it
  // once it has stopped accepting.
  void shutdown() override;

 private:
  void Serve();

  const std::size_t max_threads_;
  std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<std::function<void()>> connections_;
  std::vector<std::thread> threads_;
  std::size_t idle_ = 0;
  bool stopping_ = false;
};

}  // namespace kel::host
