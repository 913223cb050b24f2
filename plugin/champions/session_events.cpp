#include "champions/session_events.h"

#include "champions/inventory_store.h"
#include "champions/ownership_loader.h"
#include "diagnostics/log.h"
#include "platform/clock.h"
#include "runtime/subscription_core.h"

namespace kel::champions {
namespace {

constexpr const char* kPostLoginTaskName = "kel-champions.check-champion-cache";
constexpr std::uint64_t kPostLoginDelayNs = 10'000'000'000;

bool IsComplete(const LoginSession& session) {
  return session.state == LoginSessionStates::Succeeded && session.accountId != 0 && session.summonerId != 0;
}

}  // namespace

void SessionEvents::OnLoginSession(PluginResourceEventType type, const LoginSession& session) {
  bool loggedInNow = false;
  bool reconnected = false;
  {
    InventoryStore::Access access = store_.Lock();
    InventorySession& state = access.Session();
    if (type == PluginResourceEventType::Delete) {
      state.loggedIn = false;
      state.summonerId = 0;
      loggedInSummonerId_.store(0);
      return;
    }
    if (type != PluginResourceEventType::Create && type != PluginResourceEventType::Update) return;
    const bool wasLoggedIn = state.loggedIn;
    const bool wasConnected = state.connected;
    state.loggedIn = IsComplete(session);
    state.connected = session.connected;
    if (!wasLoggedIn && state.loggedIn) {
      loggedInNow = true;
      // Taken only at the login: a later update with another id while still
      // logged in does not change it.
      state.summonerId = session.summonerId;
      loggedInSummonerId_.store(session.summonerId);
    } else if (wasLoggedIn && state.loggedIn && !wasConnected && state.connected) {
      log::Write(log::kAlways, log::kGroupDbg, "Checking collections caches after reconnect.");
      reconnected = true;
    }
  }
  if (loggedInNow) {
    plugin_.ScheduleTask(
        kPostLoginTaskName, [this] { OnPostLoginTimeout(); }, platform::MonotonicNanoseconds() + kPostLoginDelayNs);
  }
  if (loggedInNow || reconnected) ownership_.RequestLoad();
}

void SessionEvents::OnPostLoginTimeout() {
  log::Write(log::kAlways, log::kGroupDbg, "Post login champion timeout expired, checking cache.");
  InventoryStore::Access access = store_.Lock();
  access.Session().postLoginTimeoutExpired = true;
  if (!access.Session().dataPublished) access.NotifyUpdate();
}

void SessionEvents::OnLoyaltyStatus(PluginResourceEventType, const BindingValue&) {
  if (loggedInSummonerId_.load() != 0) {
    log::Write(log::kAlways, log::kGroupDbg, "LoyaltyStatusNotification is updated. Try to reload champion data.");
    ownership_.RequestLoad();
  } else {
    log::Write(log::kAlways, log::kGroupDbg, "LoyaltyStatusNotification is updated without login.");
  }
}

void SessionEvents::OnCurrentSummoner(PluginResourceEventType type, const Summoner& summoner) {
  InventoryStore::Access access = store_.Lock();
  access.Inventory().summonerLevel = type == PluginResourceEventType::Delete ? 0 : summoner.summonerLevel;
  access.FreeToPlayRefresh();
}

}  // namespace kel::champions
