#pragma once
// Records the inventory reads from the login, summoner and configuration
// plug-ins, and the notification it posts when a rental ends.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "binding/binding_value.h"

namespace kel::champions {

struct PlayerNotification {
  std::string backgroundUrl;
  bool critical = false;
  std::unordered_map<std::string, std::string> data;
  std::string detailKey;
  std::string iconUrl;
  std::uint64_t id = 0;
  std::string source;
  std::string state;
  std::string titleKey;
  std::string type;
};

struct Summoner {
  std::uint32_t summonerLevel = 0;
};

enum class LoginSessionStates : std::int32_t {
  InProgress = 0,  // registered as "IN_PROGRESS"
  Succeeded = 1,   // "SUCCEEDED"
  LoggingOut = 2,  // "LOGGING_OUT"
  Error = 3,       // "ERROR"

};

struct LoginSession {
  LoginSessionStates state = LoginSessionStates::InProgress;
  std::uint64_t summonerId = 0;
  std::uint64_t accountId = 0;
  bool connected = false;
};

// The live client configuration; `DisabledChampions` maps queue names to
// JSON texts of champion id lists.
struct DrovDynamicClientConfig {
  BindingValue DisabledChampions;
};

}  // namespace kel::champions
