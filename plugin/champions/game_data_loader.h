#pragma once
// Loads the static game data once: the champion summary, then every
// champion's own file, from the game-data plug-in. Each request is retried
// without limit, with growing pauses, until it succeeds or the client shuts
// down; then everything is merged into the inventory at once.
//
// Locks: the loading lock is held by the task for its whole run except
// during the pauses between retries, and by a request to schedule it; it is
// taken before the inventory lock. Shutting down never takes it (see
// ShutdownSignal).

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>

#include "champions/shutdown_signal.h"

namespace kel {
class SubscriptionCore;
}

namespace kel::champions {

class InventoryStore;

// The pause before retry number `retries` + 1: none after the first failure,
// then 10 s more for each further failure, at most 60 s.
std::chrono::seconds RetryPauseAfter(std::uint32_t retries);

// How a pause between retries is spent: the plug-in blocks on the signal
// for the duration; tests count the pauses instead of sleeping.
using RetryPause = std::function<void(ShutdownSignal& signal, std::chrono::seconds duration)>;
void WaitForShutdownSignal(ShutdownSignal& signal, std::chrono::seconds duration);

class GameDataLoader {
 public:
  GameDataLoader(SubscriptionCore& plugin, InventoryStore& store, RetryPause pause);
  GameDataLoader(const GameDataLoader&) = delete;
  GameDataLoader& operator=(const GameDataLoader&) = delete;

  // Schedules the loading task in 10 ms, unless one is scheduled already or
  // the data is loaded. A task that ended at shutdown still counts as
  // scheduled, so nothing starts another.
  void RequestLoad();

  // Ends a pause between retries at once, and the task with it.
  void SignalShutdown() { shutdown_.Signal(); }

 private:
  void Run();
  // Calls `fetch` until it succeeds; after each failure `report` logs it and
  // sends its telemetry with the retry count, then the loading lock is
  // released for the pause. Nothing once shutdown has been signalled.
  template <typename Fetch, typename Report>
  auto FetchWithRetries(std::unique_lock<std::mutex>& loading, Fetch fetch, Report report)
      -> std::optional<std::decay_t<decltype(fetch().Value())>>;
  void SendTelemetry(const char* eventName, std::string error, std::uint32_t retries,
                     std::optional<std::int32_t> championId);

  SubscriptionCore& plugin_;
  InventoryStore& store_;
  RetryPause pause_;
  ShutdownSignal shutdown_;

  std::mutex loadingMutex_;  // the loading lock
  bool scheduled_ = false;   // guarded by the loading lock
  bool loaded_ = false;      // guarded by the loading lock
};

}  // namespace kel::champions
