#include "host/host_run.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "host/host_core.h"
#include "host/http_server.h"

namespace kel::host {
namespace {

// SIGINT and SIGTERM are taken by the main thread alone: blocked here,
// before any thread starts, and waited for below.
sigset_t BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signals;
}

// Waits up to `ms` for a stop signal; true when one came.
bool StopSignalWithin(const sigset_t& signals, long ms) {
  const timespec wait{ms / 1000, (ms % 1000) * 1000000L};
  return sigtimedwait(&signals, nullptr, &wait) > 0;
}

void PrintUrls(uint16_t port, const HostOptions& options, const std::string& short_name) {
  const std::string base = "http://" + options.address + ":" + std::to_string(port);
  std::printf("kel-host: serving zbt-be-%s on %s/\n", short_name.c_str(), base.c_str());
  std::printf("  inventory page   %s/\n", base.c_str());
  std::printf("  champions        %s/kel-champions/v1/inventories/%llu/champions\n", base.c_str(),
              static_cast<unsigned long long>(options.summoner_id));
  std::printf("  one champion     %s/kel-champions/v1/inventories/%llu/champions/1\n", base.c_str(),
              static_cast<unsigned long long>(options.summoner_id));
  std::printf("  playable counts  %s/kel-champions/v1/inventories/%llu/champions-playable-count\n", base.c_str(),
              static_cast<unsigned long long>(options.summoner_id));
  std::printf("  event stream     %s/host/v1/events\n", base.c_str());
  std::printf("  control API      %s/host/v1/\n", base.c_str());
  std::printf("Stop with Ctrl+C.\n");
  std::fflush(stdout);
}

class Progress {
 public:
  explicit Progress(GameDataSource& game_data) : game_data_(game_data) {}
  // Prints "game data: served/total files" when it moved, until complete.
  void Show() {
    const uint32_t served = game_data_.ServedFiles();
    if (served == shown_ || done_) return;
    shown_ = served;
    const uint32_t total = game_data_.TotalFiles();
    done_ = served >= total;
    std::printf("kel-host: game data %u/%u files served%s\n", served, total, done_ ? ", loaded" : "");
    std::fflush(stdout);
  }

 private:
  GameDataSource& game_data_;
  uint32_t shown_ = 0;
  bool done_ = false;
};

}  // namespace

int RunHost(const HostOptions& options) {
  const sigset_t signals = BlockStopSignals();
  // A client that hangs up mid-answer is the server's to notice, not a
  // reason to end the process.
  std::signal(SIGPIPE, SIG_IGN);
  HostLog log(options.quiet ? nullptr : stderr);
  HostCore core(options, log);
  const Outcome started = core.Start();
  if (!started.Ok()) {
    std::fprintf(stderr, "kel-host: %s\n", started.Message().c_str());
    return 1;
  }
  HttpServer server(core, options);
  const uint16_t port = server.Bind(options.address, options.port);
  if (port == 0) {
    std::fprintf(stderr, "kel-host: cannot listen on %s:%u\n", options.address.c_str(), options.port);
    core.SignalPreShutdown();
    return 1;
  }
  server.Start();
  if (!options.port_file.empty()) std::ofstream(options.port_file) << port << "\n";
  PrintUrls(port, options, core.Module()->ShortName());

  Progress progress(core.GameData());
  bool stop = options.auto_login && StopSignalWithin(signals, options.login_delay_ms);
  if (!stop && options.auto_login) {
    core.Play().Login(options.summoner_id, options.account_id, options.summoner_level);
    std::printf("kel-host: logged in summoner %llu\n", static_cast<unsigned long long>(options.summoner_id));
    std::fflush(stdout);
  }
  while (!stop) {
    progress.Show();
    stop = StopSignalWithin(signals, 200);
  }
  std::printf("kel-host: stopping\n");
  std::fflush(stdout);
  core.SignalPreShutdown();
  // Requests still waiting for a worker are answered 503 rather than
  // served after the pool is gone.
  server.StopAccepting();
  core.StopWork();
  server.Stop();
  const MemoryStats memory = core.MemoryStatistics();
  std::printf("kel-host: plug-in memory: peak %llu bytes, %llu bytes in %llu allocations in all\n",
              static_cast<unsigned long long>(memory.peak_bytes_in_use),
              static_cast<unsigned long long>(memory.total_bytes_allocated),
              static_cast<unsigned long long>(memory.total_allocations));
  core.Close();
  std::printf("kel-host: stopped\n");
  return 0;
}

}  // namespace kel::host
