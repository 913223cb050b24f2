// Scenarios played on the other plug-ins and the remote service: the
// platform configuration at start, login, logout, reconnect, pushed remote
// messages and the pre-shutdown signal.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "datagen/generated_world.h"
#include "host/event_bus.h"
#include "host/json.h"
#include "host/played_resources.h"

namespace kel::host {

inline constexpr const char* kSessionUri = "/kel-login/v1/session";
inline constexpr const char* kSummonerUri = "/kel-summoner/v1/current-summoner";
inline constexpr const char* kLoyaltyUri = "/kel-loyalty/v1/status-notification";
inline constexpr const char* kPreShutdownUri = "/tesselclient/pre-shutdown/begin";
inline constexpr const char* kStoreFulfillmentClass = "com.tesselworks.platform.messaging.StoreFulfillmentNotification";
inline constexpr const char* kRentalUpdateClass = "com.tesselworks.platform.messaging.RentalUpdateNotification";

class Scenario {
 public:
  Scenario(PlayedResources& resources, EventBus& bus, const datagen::GeneratedWorld& world);

  // Every change returns once the plug-in's callbacks have taken it; none
  // may be made from a worker of the pool.

  // The four platform-configuration resources of the generated world.
  void PublishConfiguration();
  // A complete session for the summoner, its summoner resource and the
  // remote configuration message, as the client does at login. Logging in
  // as another summoner while logged in logs out first.
  void Login(uint64_t summoner_id, uint64_t account_id, uint32_t summoner_level);
  // Deletes the session and the summoner; false when nobody is logged in.
  bool Logout();
  // The session goes offline and comes back; false when nobody is logged in.
  bool Reconnect();
  // A message the remote service pushes: {"clientId", "subtopic",
  // "typeName", "body"} under the class's event name. Returns once the
  // plug-in's callback has taken it (and queued its own task for it).
  void PushRemoteMessage(const std::string& class_name, const JsonValue& body);
  // The generated world's live configuration message, or `body` when given.
  void PushDynamicConfiguration(const JsonValue* body = nullptr);
  // The pre-shutdown resource, its event delivered on this thread.
  void BeginShutdown();

  uint64_t LoggedInSummoner() const;

 private:
  Json Session(uint64_t summoner_id, uint64_t account_id, bool connected) const;

  PlayedResources& resources_;
  EventBus& bus_;
  const datagen::GeneratedWorld& world_;
  // Scenario steps of several clients happen one after the other.
  mutable std::mutex mutex_;
  uint64_t summoner_id_ = 0;
  uint64_t account_id_ = 0;
};

}  // namespace kel::host
