// A kel-host process for one test: started on an ephemeral port with the
// module beside it, driven over HTTP, stopped with SIGTERM.
#pragma once

#include <httplib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_value.h"
#include "datagen/generated_world.h"

namespace kel::host::testing {

struct JsonReply {
  int status = 0;  // 0: no answer
  BindingValue value;
};

class HostProcess {
 public:
  // Starts kel-host with `arguments` added to the test's own (ephemeral port,
  // quiet log); waits until it listens.
  explicit HostProcess(std::vector<std::string> arguments = {});
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  uint16_t Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  // The exit status after SIGTERM (-1 when it did not end by exiting).
  int Stop();
  // What the host wrote to standard output and error so far.
  std::string Output() const;

  JsonReply Get(const std::string& path) const { return Send("GET", path); }
  JsonReply Send(const std::string& method, const std::string& path, const std::string& body = "") const;

 private:
  pid_t pid_ = -1;
  uint16_t port_ = 0;
  std::string directory_;
};

// A raw client connection on loopback, for requests no HTTP library sends.
class Connection {
 public:
  explicit Connection(uint16_t port);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Connected() const { return connected_; }
  void Send(const std::string& bytes) const;
  // The status line of the answer, "closed" when the host hung up without
  // one, "" when nothing came within `timeout`.
  std::string StatusLine(std::chrono::milliseconds timeout) const;

 private:
  int fd_;
  bool connected_ = false;
};

struct CommandResult {
  int exit_status = -1;
  std::string out;
  std::string err;
};

// Runs kel-host to its end with `arguments`, feeding `input` on standard
// input.
CommandResult RunKelHost(const std::vector<std::string>& arguments, const std::string& input = "");

// Starts `argv` (searched on the path): standard input from `in` when given,
// standard output to `out`, standard error to `err` (with the output when
// empty), `descriptors` placed at 3, 4, ... Returns the process id, -1 when
// it could not start.
pid_t Spawn(std::vector<std::string> argv, const std::string& in, const std::string& out, const std::string& err = "",
            const std::vector<int>& descriptors = {});

// The host's default world, and the default summoner's inventory routes:
// `rest` under its root, and one path of each of the eight routes.
const datagen::GeneratedWorld& DefaultWorld();
std::string InventoryRoute(const std::string& rest);
std::vector<std::string> InventoryRoutes();
// Waits until the champion list holds the whole default world.
bool WaitForFullList(const HostProcess& host);

// The host's answers read, and messages written, with the plug-in's own JSON
// reader and writer: apart from the host's, and with values the assertions
// know. Nothing when the text is not JSON; "null" for an empty value.
std::optional<BindingValue> ParseJsonText(std::string_view text);
std::string ToJsonText(const BindingValue& value);

// Polls `condition` every 50 ms until it holds or `timeout` passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Time allowances: sanitized builds run several times slower.
std::chrono::milliseconds Patience(std::chrono::milliseconds normal);

}  // namespace kel::host::testing
