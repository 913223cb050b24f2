#pragma once

#include <chrono>
#include <future>
#include <string>
#include <string_view>

namespace kel {

// Ends the process with the fatal report "ALE-6D828C10": a future without a
// shared state (or whose promise was abandoned) was awaited. Never returns.
[[noreturn]] void ReportFutureWithoutState();

// The label BeginWait gets while a future of that type is awaited.
std::string FutureWaitLabel(std::string_view value_type_name);

// Waits for `future` while the core keeps running this plug-in's work on the
// calling thread. `host` offers the core's BeginWait, PumpHost and EndWait
// (AppModule's forwarders). A future that is already complete costs no core
// call; otherwise BeginWait is called once with the label of
// FutureWaitLabel(value_type_name), PumpHost until the future is ready, and
// EndWait once. The caller must not hold a lock that a callback run by
// PumpHost may take.
template <typename Host, typename T>
T AwaitFuture(Host& host, std::future<T>& future, std::string_view value_type_name) {
  if (!future.valid()) ReportFutureWithoutState();
  bool waiting = false;
  // A deferred future never becomes ready by itself; get() runs it.
  while (future.wait_for(std::chrono::seconds(0)) == std::future_status::timeout) {
    if (!waiting) {
      host.BeginWait(FutureWaitLabel(value_type_name).c_str(), 0);
      waiting = true;
    }
    host.PumpHost();
  }
  if (waiting) host.EndWait();
  try {
    return future.get();
  } catch (const std::future_error&) {
    ReportFutureWithoutState();
  }
}

// Lets the core run pending work for this plug-in once, on this thread.
template <typename Host>
void YieldToHost(Host& host) {
  host.BeginWait("Wait: yield", 0);
  host.PumpHost();
  host.EndWait();
}

}  // namespace kel
