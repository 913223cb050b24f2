#include "host/connection_pool.h"

namespace kel::host {

void ConnectionPool::enqueue(std::function<void()> connection) {
  std::lock_guard lock(mutex_);
  connections_.push_back(std::move(connection));
  if (connections_.size() > idle_ && threads_.size() < max_threads_) threads_.emplace_back([this] { Serve(); });
  queued_.notify_one();
}

void ConnectionPool::shutdown() {
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    threads.swap(threads_);
  }
  queued_.notify_all();
  for (std::thread& thread : threads) thread.join();
}

void ConnectionPool::Serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idle_;
    queued_.wait(lock, [this] { return stopping_ || !connections_.empty(); });
    --idle_;
    if (connections_.empty()) return;
    std::function<void()> connection = std::move(connections_.front());
    connections_.pop_front();
    lock.unlock();
    connection();
    lock.lock();
  }
}

}  // namespace kel::host
