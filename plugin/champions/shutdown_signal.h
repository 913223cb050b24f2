#pragma once
// The client is about to shut down: ends the game-data task's waits between
// retries.
//
// The flag is an atomic that is set before anyone is woken, and the wake-up
// takes only the signal's own mutex, which nobody holds while calling the
// core. So signalling is safe from any thread at any moment, including from
// the pre-shutdown event that the core delivers on the game-data task's own
// thread while a streamed fetch yields with the loading lock held.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kel::champions {

class ShutdownSignal {
 public:
  // Sets the flag, then wakes every waiter. Stays set for good.
  void Signal();
  bool IsSet() const { return set_.load(std::memory_order_acquire); }

  // Blocks for `duration` or until the signal is set, whichever comes
  // first; returns at once when it is set already or the duration is 0.
  void WaitFor(std::chrono::seconds duration);

 private:
  std::atomic<bool> set_{false};
  std::mutex mutex_;
  std::condition_variable woken_;
};

}  // namespace kel::champions
