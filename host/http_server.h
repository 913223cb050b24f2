// HTTP on loopback: every route of the plug-in's API description, the
// event stream of what it publishes, the control API under /host/v1/ and the
// inventory page's files at /.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "host/host_core.h"
#include "host/host_options.h"

namespace httplib {
class Server;
}

namespace kel::host {

class HttpServer {
 public:
  HttpServer(HostCore& core, const HostOptions& options);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds the address and port (0: any free port). Returns the port, or 0
  // when binding failed.
  uint16_t Bind(const std::string& address, uint16_t port);
  // Serves on a thread of its own until Stop.
  void Start();
  // Ends the event streams and stops accepting connections; requests being
  // served go on.
  void StopAccepting();
  // StopAccepting, then waits for the requests being served to be
  // answered. Idempotent.
  void Stop();

 private:
  void AddPluginRoutes();
  void AddEventStream();
  void AddPage(const std::string& web_dir);

  HostCore& core_;
  std::unique_ptr<httplib::Server> server_;
  int listening_socket_ = -1;
  std::thread thread_;
};

// The control API's routes (control_api.cpp).
void AddControlRoutes(httplib::Server& server, HostCore& core, const HostOptions& options);

}  // namespace kel::host
