#pragma once
// The login session, the loyalty status and the current summoner, as the
// login, loyalty and summoner plug-ins announce them.
//
// A login (the session becomes complete) takes the summoner id, loads the
// ownership data and starts the post-login timeout, after which the
// inventory is published even if the live configuration never arrives. A
// reconnect while logged in reloads the ownership data; a delete of the
// session logs out and forgets the summoner id.
//
// Handlers run on the core's threads and take the inventory lock for their
// whole change; requests and tasks go to the core after it is released.

#include <atomic>
#include <cstdint>

#include "champions/session_records.h"
#include "runtime/runtime_records.h"

namespace kel {
class BindingValue;
class SubscriptionCore;
}  // namespace kel

namespace kel::champions {

class InventoryStore;
class OwnershipLoader;

class SessionEvents {
 public:
  SessionEvents(SubscriptionCore& plugin, InventoryStore& store, OwnershipLoader& ownership)
      : plugin_(plugin), store_(store), ownership_(ownership) {}

  void OnLoginSession(PluginResourceEventType type, const LoginSession& session);
  void OnLoyaltyStatus(PluginResourceEventType type, const BindingValue& status);
  void OnCurrentSummoner(PluginResourceEventType type, const Summoner& summoner);

 private:
  // The task "kel-champions.check-champion-cache", 10 s after a login.
  void OnPostLoginTimeout();

  SubscriptionCore& plugin_;
  InventoryStore& store_;
  OwnershipLoader& ownership_;
  // The session's summoner id as the inventory keeps it, readable without
  // the inventory lock; written together with it.
  std::atomic<std::uint64_t> loggedInSummonerId_{0};
};

}  // namespace kel::champions
