#include "host/http_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "host/champion_routes.h"
#include "host/connection_pool.h"

namespace kel::host {
namespace {

// What the server takes from a client, and for how long it waits for one.
// Longer request targets are refused before any pattern sees them: the
// standard expression engine recurses once per character. (The library
// itself refuses a request line over 8192 bytes with 414 and a header line
// over 8192 bytes with 400.)
constexpr std::size_t kMaxTargetLength = 2048;
constexpr std::size_t kMaxHeaderBytes = 8192;     // all headers: 431
constexpr std::size_t kMaxBodyBytes = 8u << 20;   // 413
constexpr std::chrono::seconds kReadTimeout{3};   // a pause within a request: 400, closed
constexpr std::chrono::seconds kWriteTimeout{5};  // a client that stops reading: closed
constexpr time_t kIdleTimeoutSeconds = 5;         // a keep-alive connection with no request: closed
// Connections served at once (event streams and idle keep-alive connections
// hold one each); more wait for a thread.
constexpr std::size_t kMaxConnectionThreads = 256;
// Connections the kernel holds until they are accepted. The library listens
// with 5, so a burst of clients (a page, a load test) lost connections and
// waited a second each for the retry.
constexpr int kListenBacklog = 512;
// How often an idle event stream sends a comment (and so notices a client
// that has gone).
constexpr std::chrono::milliseconds kStreamHeartbeat{1000};
// The stream's own frame for events a reader lost to the hub's bound.
constexpr std::string_view kEventsDroppedName = "host-events-dropped";

std::size_t HeaderBytes(const httplib::Headers& headers) {
  std::size_t bytes = 0;
  for (const auto& [name, value] : headers) bytes += name.size() + value.size() + 4;  // ": " and CR LF
  return bytes;
}

// The library answers what it refuses with an empty body; the client gets
// the host's usual error text.
std::string LibraryRefusal(int status) {
  switch (status) {
    case 400: return "The request could not be read: bad syntax, a line over 8192 bytes or a pause over 3 s.";
    case 413: return "The body is larger than 8 MiB.";
    case 414: return "The request target is too long.";
    default: return "The request was refused.";
  }
}

MethodCode MethodOf(const std::string& text) {
  // HEAD is served as GET; the server leaves the body out.
  static constexpr std::pair<std::string_view, MethodCode> kMethods[] = {
      {"DELETE", MethodCode::kDelete},   {"GET", MethodCode::kGet},     {"HEAD", MethodCode::kGet},
      {"OPTIONS", MethodCode::kOptions}, {"PATCH", MethodCode::kPatch}, {"POST", MethodCode::kPost},
      {"PUT", MethodCode::kPut}};
  for (const auto& [name, method] : kMethods) {
    if (text == name) return method;
  }
  return MethodCode::kCustom;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// What set_content does, but the answer's text is moved into the body
// instead of copied: the champion list is 2.4 MB.
void Answer(httplib::Response& response, InvokeAnswer&& answer) {
  response.status = answer.status;
  for (const auto& [name, value] : answer.headers) response.set_header(name, value);
  response.body = std::move(answer.json);
  response.headers.erase("Content-Type");
  response.set_header("Content-Type", "application/json");
}

uint64_t Number(const std::string& text, uint64_t fallback) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty() ? value : fallback;
}

}  // namespace

HttpServer::HttpServer(HostCore& core, const HostOptions& options)
    : core_(core), server_(std::make_unique<httplib::Server>()) {
  server_->new_task_queue = [] { return new ConnectionPool(kMaxConnectionThreads); };
  server_->set_keep_alive_max_count(100000);
  server_->set_keep_alive_timeout(kIdleTimeoutSeconds);
  server_->set_read_timeout(kReadTimeout);
  server_->set_write_timeout(kWriteTimeout);
  server_->set_payload_max_length(kMaxBodyBytes);
  server_->set_socket_options([this](int socket) {
    httplib::default_socket_options(socket);
    listening_socket_ = socket;
  });
  // Answers go out as written: with Nagle's algorithm a keep-alive client
  // waits out the peer's delayed acknowledgement (about 40 ms) per answer.
  server_->set_tcp_nodelay(true);
  server_->set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
    if (request.target.size() > kMaxTargetLength) {
      Answer(response, ErrorAnswer(414, "The request target is too long."));
      return httplib::Server::HandlerResponse::Handled;
    }
    if (HeaderBytes(request.headers) > kMaxHeaderBytes) {
      Answer(response, ErrorAnswer(431, "The request's headers are larger than 8192 bytes."));
      return httplib::Server::HandlerResponse::Handled;
    }
    // A chunked body has no length to check before it is read, and the
    // library would take one of any size.
    if (request.has_header("Transfer-Encoding")) {
      Answer(response, ErrorAnswer(411, "Send the body with a Content-Length (at most 8 MiB)."));
      return httplib::Server::HandlerResponse::Handled;
    }
    // A body-less POST (curl -X POST) carries no length; the server would
    // otherwise read until the client hangs up and answer 400 after its
    // read timeout. The request is the server's own, handed to this hook
    // before the body is read.
    if (!request.has_header("Content-Length")) {
      const_cast<httplib::Request&>(request).set_header("Content-Length", "0");
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server_->set_error_handler(
      httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        Answer(response, ErrorAnswer(response.status, LibraryRefusal(response.status)));
        return httplib::Server::HandlerResponse::Handled;
      }));
  AddPage(options.web_dir.empty() ? KEL_HOST_WEB_DIR : options.web_dir);
  AddEventStream();
  AddControlRoutes(*server_, core_, options);
  AddPluginRoutes();
}

HttpServer::~HttpServer() { Stop(); }

uint16_t HttpServer::Bind(const std::string& address, uint16_t port) {
  int bound = port;
  if (port == 0) {
    bound = server_->bind_to_any_port(address);
  } else if (!server_->bind_to_port(address, port)) {
    bound = 0;
  }
  // Listening again on the bound socket only changes its backlog.
  if (bound > 0 && listening_socket_ >= 0) ::listen(listening_socket_, kListenBacklog);
  return bound > 0 ? static_cast<uint16_t>(bound) : 0;
}

void HttpServer::Start() {
  thread_ = std::thread([this] { server_->listen_after_bind(); });
}

void HttpServer::StopAccepting() {
  // Event streams end first: the server waits for every handler.
  core_.Hub().Close();
  server_->stop();
}

void HttpServer::Stop() {
  if (!thread_.joinable()) return;
  StopAccepting();
  thread_.join();
}

void HttpServer::AddEventStream() {
  server_->Get("/host/v1/events", [this](const httplib::Request& request, httplib::Response& response) {
    // New events only, unless the client says where it stopped (the
    // standard header) or asks for what is kept (?since=0).
    uint64_t after = core_.Hub().LastSequence();
    if (request.has_header("Last-Event-ID")) after = Number(request.get_header_value("Last-Event-ID"), after);
    if (request.has_param("since")) after = Number(request.get_param_value("since"), after);
    const std::string prefix = request.get_param_value("name");
    auto cursor = std::make_shared<uint64_t>(after);
    response.set_header("Cache-Control", "no-cache");
    response.set_chunked_content_provider(
        "text/event-stream", [this, cursor, prefix](std::size_t, httplib::DataSink& sink) {
          std::optional<EventHub::Batch> batch = core_.Hub().WaitAfter(*cursor, kStreamHeartbeat);
          if (!batch) {
            sink.done();
            return true;
          }
          if (batch->dropped_through != 0) {
            // The reader fell further behind than the hub keeps: it is told
            // which ids it lost (under any name filter, since the lost ones
            // may have matched), and its id moves past them, so a reader that
            // reconnects from its last id does not take the gap for a fault.
            const std::string text = "id: " + std::to_string(batch->dropped_through) +
                                     "\nevent: " + std::string(kEventsDroppedName) + "\ndata: {\"name\":\"" +
                                     std::string(kEventsDroppedName) + "\",\"after\":" + std::to_string(*cursor) +
                                     ",\"through\":" + std::to_string(batch->dropped_through) + "}\n\n";
            *cursor = batch->dropped_through;
            if (!sink.write(text.data(), text.size())) return false;
          }
          const std::vector<EventHub::EventPtr>& events = batch->events;
          if (events.empty()) return sink.write(": idle\n\n", 8);
          // Event by event: one event can be the whole inventory, and a
          // batch joined into one text would hold a copy of all of them.
          for (const EventHub::EventPtr& event : events) {
            *cursor = event->sequence;
            if (!event->name.starts_with(prefix)) continue;
            std::string text = "id: " + std::to_string(event->sequence) + "\nevent: " + event->name + "\ndata: ";
            text.reserve(text.size() + event->json.size() + 2);
            text.append(event->json).append("\n\n");
            if (!sink.write(text.data(), text.size())) return false;
          }
          return true;
        });
  });
}

// The page's files are looked up before any route, for GET and HEAD only;
// a path with no file behind it goes on to the routes. "/" is index.html.
void HttpServer::AddPage(const std::string& web_dir) {
  if (!server_->set_mount_point("/", web_dir)) {
    std::fprintf(stderr, "kel-host: no inventory page: %s is not a folder\n", web_dir.c_str());
    return;
  }
  // Edited files show at the next reload.
  server_->set_file_request_handler(
      [](const httplib::Request&, httplib::Response& response) { response.set_header("Cache-Control", "no-cache"); });
}

void HttpServer::AddPluginRoutes() {
  const auto serve = [this](const httplib::Request& request, httplib::Response& response) {
    const MethodCode method = MethodOf(request.method);
    const std::string_view target(request.target);
    const ApiFunction* selected = core_.Catalog().Select(method, request.method, target);
    if (selected == nullptr) {
      return Answer(response, ErrorAnswer(404, "No function of the plug-in serves " + request.method + " " +
                                                   std::string(PathWithoutQuery(target)) + "."));
    }
    InboundRequest inbound;
    inbound.method = method;
    inbound.custom_method = request.method;
    inbound.path = request.target;
    for (const auto& [name, value] : request.headers) inbound.headers.emplace_back(Lower(name), value);
    inbound.content_type = request.get_header_value("Content-Type");
    inbound.body = request.body;
    Answer(response, core_.Invoke(*selected, std::move(inbound)));
  };
  server_->Get(".*", serve);
  server_->Post(".*", serve);
  server_->Put(".*", serve);
  server_->Patch(".*", serve);
  server_->Delete(".*", serve);
  server_->Options(".*", serve);
}

}  // namespace kel::host
