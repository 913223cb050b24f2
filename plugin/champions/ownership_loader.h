#pragma once
// Loads what the summoner owns and rents with one call to the remote
// inventory service, after a login, a reconnect or a loyalty change. A
// failed call is not retried: the previous ownership data stays until the
// next request.
//
// Runs never overlap: the run lock is held by the task for its whole run,
// the remote call included, and is taken before the inventory lock. A
// request never waits for it: the reply of the remote call may be streamed,
// and while the task yields to the core between chunks the core may deliver
// a login or loyalty event, which requests a load, on the task's own thread.
// A request made during a run schedules the next run at once; a task that
// finds another run under way tries again 10 ms later.

#include <atomic>
#include <mutex>

namespace kel {
class SubscriptionCore;
}

namespace kel::champions {

class InventoryStore;
class LegacyRentalTimers;

class OwnershipLoader {
 public:
  OwnershipLoader(SubscriptionCore& plugin, InventoryStore& store, LegacyRentalTimers& legacyRentals);
  OwnershipLoader(const OwnershipLoader&) = delete;
  OwnershipLoader& operator=(const OwnershipLoader&) = delete;

  // Schedules the loading task in 10 ms unless one is scheduled and has not
  // started yet.
  void RequestLoad();

 private:
  void Schedule();
  void Run();

  SubscriptionCore& plugin_;
  InventoryStore& store_;
  LegacyRentalTimers& legacyRentals_;

  std::mutex runMutex_;
  // A task is scheduled and has not started its run.
  std::atomic<bool> scheduled_{false};
};

}  // namespace kel::champions
