// Faults injected into the played plug-ins and the remote service, set from
// the command line or the control API and read on the core's threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "host/host_result.h"
#include "host/json.h"

namespace kel::host {

// A count of failures still to come: 0 none, -1 for ever.
class FailureBudget {
 public:
  void Set(int64_t count) { remaining_.store(count); }
  int64_t Remaining() const { return remaining_.load(); }
  // True when this call is to fail (and uses one failure up).
  bool Take();

 private:
  std::atomic<int64_t> remaining_{0};
};

class Faults {
 public:
  FailureBudget& ChampionSummary() { return summary_; }
  FailureBudget& InventoryCalls() { return inventory_; }
  // Failures of one champion's game data.
  void SetChampionFailures(int32_t champion_id, int64_t count);
  bool TakeChampionFailure(int32_t champion_id);
  // Every answer of the game data and of the remote service waits this long.
  void SetDelayMs(uint32_t ms) { delay_ms_.store(ms); }
  // Waits the delay on the calling thread, or less once delays have ended.
  void Delay();
  // Ends every delay, running and future: the host is going down and a slow
  // answer must not hold the plug-in's take-down up.
  void EndDelays();

  // Applies {"championSummary": n, "inventory": n, "delayMs": n,
  // "champions": {"<id>": n}}; members left out keep their value.
  Outcome Apply(const JsonValue& settings);
  // The same shape as JSON text.
  std::string Describe() const;

 private:
  FailureBudget summary_;
  FailureBudget inventory_;
  std::atomic<uint32_t> delay_ms_{0};
  mutable std::mutex mutex_;
  std::condition_variable delays_ended_;
  bool no_delays_ = false;
  std::map<int32_t, int64_t> champions_;
};

struct ChampionFault {
  int32_t champion_id = 0;
  int64_t count = -1;
};
// "ID" or "ID:COUNT" (COUNT -1 or absent: for ever) from the command line.
Result<ChampionFault> ParseChampionFault(const std::string& text);

}  // namespace kel::host
