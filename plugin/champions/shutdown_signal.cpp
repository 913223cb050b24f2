#include "champions/shutdown_signal.h"

namespace kel::champions {

void ShutdownSignal::Signal() {
  set_.store(true, std::memory_order_release);
  // Taking the mutex between the store and the notification closes the gap
  // in which a waiter has seen the flag clear but is not yet waiting.
  { std::lock_guard lock(mutex_); }
  woken_.notify_all();
}

void ShutdownSignal::WaitFor(std::chrono::seconds duration) {
  std::unique_lock lock(mutex_);
  woken_.wait_for(lock, duration, [this] { return IsSet(); });
}

}  // namespace kel::champions
