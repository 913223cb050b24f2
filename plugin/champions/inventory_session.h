#pragma once
// What the inventory knows about the session and about its own publication.
// Guarded by the inventory lock together with the inventory itself.

#include <cstdint>

namespace kel::champions {

struct InventorySession {
  bool loggedIn = false;         // login complete: SUCCEEDED with summoner and account ids
  bool connected = false;        // the session's connected flag as last received
  std::uint64_t summonerId = 0;  // the logged-in summoner; 0 when none
  bool disabledSkinsReceived = false;
  bool inactiveListReceived = false;
  bool liveConfigurationReceived = false;
  bool postLoginTimeoutExpired = false;
  // Set by the first publication; until then every route answers "not yet".
  bool dataPublished = false;

  // Publication waits for the login and the three parts of the live
  // configuration, or for the post-login timeout; once open it stays open.
  bool PublicationGateOpen() const {
    return postLoginTimeoutExpired ||
           (loggedIn && disabledSkinsReceived && inactiveListReceived && liveConfigurationReceived) || dataPublished;
  }

  // Requests are answered only for the logged-in summoner, once published.
  bool Serves(std::uint64_t requestedSummonerId) const {
    return dataPublished && requestedSummonerId != 0 && summonerId != 0 && requestedSummonerId == summonerId;
  }
};

}  // namespace kel::champions
