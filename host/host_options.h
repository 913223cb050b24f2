// How kel-host runs: the command line's options with their defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kel::host {

inline constexpr uint16_t kDefaultPort = 8765;
inline constexpr uint64_t kDefaultSummonerId = 2400021001;
inline constexpr uint64_t kDefaultAccountId = 2400099001;

struct HostOptions {
  std::string module_path;  // empty: the module beside the executable
  std::string data_dir;     // empty: generated game data
  std::string web_dir;      // the page's files; empty: host/web of the source tree
  uint64_t seed = 1;
  std::string address = "127.0.0.1";
  uint16_t port = kDefaultPort;  // 0: any free port
  std::string port_file;         // the port actually used is written here
  uint32_t threads = 4;
  bool auto_login = true;
  uint32_t login_delay_ms = 500;
  uint64_t summoner_id = kDefaultSummonerId;
  uint64_t account_id = kDefaultAccountId;
  uint32_t summoner_level = 30;
  std::optional<uint64_t> legacy_rentals_end_in_ms;
  // Injected faults at start.
  int64_t fail_champion_summary = 0;
  std::vector<std::string> fail_champions;  // "ID" or "ID:COUNT"
  int64_t fail_inventory = 0;
  uint32_t delay_ms = 0;
  bool quiet = false;  // no plug-in log lines on standard error
};

}  // namespace kel::host
