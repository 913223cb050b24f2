// kel-host: the development host of the champion inventory plug-in.
//
//   kel-host [options]                       run the plug-in and serve it
//   kel-host decode --as json|yaml|msgpack [FILE]
//   kel-host write-data DIR [--seed N]      write the generated game data
#include <CLI/CLI.hpp>

#include <cstdio>

#include "datagen/generated_world.h"
#include "host/decode_command.h"
#include "host/faults.h"
#include "host/host_options.h"
#include "host/host_run.h"

namespace {

void AddRunOptions(CLI::App& app, kel::host::HostOptions& options) {
  app.add_option("--module", options.module_path, "The plug-in module (default: the one beside kel-host)");
  app.add_option("--data", options.data_dir, "Serve the game data in this folder instead of generated data");
  app.add_option("--web", options.web_dir,
                 "Serve the inventory page from this folder (default: host/web of the sources)");
  app.add_option("--seed", options.seed, "Seed of the generated world")->capture_default_str();
  app.add_option("--address", options.address, "Address to listen on")->capture_default_str();
  app.add_option("--port", options.port, "Port to listen on, 0 for any free port")->capture_default_str();
  app.add_option("--port-file", options.port_file, "Write the port used to this file once listening");
  app.add_option("--threads", options.threads, "Worker threads (at least 4)")->capture_default_str();
  app.add_flag("!--no-login", options.auto_login, "Do not log the default summoner in");
  app.add_option("--login-delay-ms", options.login_delay_ms, "Log in this long after start")->capture_default_str();
  app.add_option("--summoner", options.summoner_id, "The default summoner id")->capture_default_str();
  app.add_option("--account", options.account_id, "The default account id")->capture_default_str();
  app.add_option("--summoner-level", options.summoner_level, "The summoner's level")->capture_default_str();
  app.add_option("--legacy-rentals-end-in-ms", options.legacy_rentals_end_in_ms,
                 "Legacy rentals in ownership replies end this long after the reply");
  app.add_option("--fail-champion-summary", options.fail_champion_summary,
                 "The champion summary fails this many times (-1: always)");
  app.add_option("--fail-champion", options.fail_champions,
                 "ID[:COUNT]: this champion's game data fails COUNT times (always without COUNT)")
      ->check(CLI::Validator(
          [](std::string& text) {
            return kel::host::ParseChampionFault(text).Ok() ? std::string() : "expected ID or ID:COUNT";
          },
          "ID[:COUNT]"));
  app.add_option("--fail-inventory", options.fail_inventory,
                 "Remote inventory calls fail this many times (-1: always)");
  app.add_option("--delay-ms", options.delay_ms, "Game data and remote calls answer this much later");
  app.add_flag("--quiet", options.quiet, "Keep the plug-in's log lines off standard error");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"kel-host: runs the champion inventory plug-in as the client's core would, over HTTP on loopback"};
  kel::host::HostOptions options;
  AddRunOptions(app, options);

  std::string format;
  std::string file;
  CLI::App* decode = app.add_subcommand("decode", "Print what the plug-in's reader makes of a body, as JSON");
  decode->add_option("--as", format, "json, yaml or msgpack")
      ->required()
      ->check(CLI::IsMember({"json", "yaml", "msgpack"}));
  decode->add_option("file", file, "The body (standard input when left out)");

  std::string folder;
  uint64_t seed = 1;
  CLI::App* write = app.add_subcommand("write-data", "Write the generated game data to a folder for --data");
  write->add_option("dir", folder, "Target folder")->required();
  write->add_option("--seed", seed, "Seed of the generated world")->capture_default_str();
  app.require_subcommand(0, 1);

  CLI11_PARSE(app, argc, argv);

  if (*decode) return kel::host::RunDecode(format, file);
  if (*write) {
    const std::string error = kel::datagen::GeneratedWorld(seed).WriteGameDataFiles(folder);
    if (!error.empty()) {
      std::fprintf(stderr, "kel-host write-data: %s\n", error.c_str());
      return 1;
    }
    std::printf("kel-host: game data written to %s\n", folder.c_str());
    return 0;
  }
  return kel::host::RunHost(options);
}
