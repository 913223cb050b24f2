// The control API under /host/v1/: scenarios (login, logout, reconnect,
// resources, pushed messages, faults) and what the host observed (API
// description, memory, counters, notifications, telemetry, log, status).
#include <httplib.h>

#include <charconv>
#include <chrono>

#include "host/http_server.h"
#include "host/openapi_document.h"
#include "host/value_json.h"

namespace kel::host {
namespace {

constexpr const char* kJson = "application/json";

void Reply(httplib::Response& response, const BindingValue& value, int status = 200) {
  response.status = status;
  response.set_content(ToJsonText(value), kJson);
}

void Fail(httplib::Response& response, int status, const std::string& message) {
  const InvokeAnswer answer = ErrorAnswer(status, message);
  response.status = answer.status;
  response.set_content(answer.json, kJson);
}

BindingValue Done(std::string_view what) {
  BindingValue done;
  done.Member("done").SetString(what);
  return done;
}

// The request body as a value; an empty body is the empty value. False
// (with the answer written) when the body is not JSON.
bool Body(const httplib::Request& request, httplib::Response& response, BindingValue& body) {
  std::string error;
  std::optional<BindingValue> parsed = ParseJsonText(request.body, &error);
  if (!parsed) {
    Fail(response, 400, "The body is not JSON: " + error);
    return false;
  }
  body = std::move(*parsed);
  return true;
}

BindingValue Index() {
  static constexpr std::pair<const char*, const char*> kEndpoints[] = {
      {"GET /", "the live inventory page"},
      {"GET /host/v1/status", "plug-in, logged-in summoner, game-data progress"},
      {"GET /host/v1/events", "server-sent events of everything the plug-in publishes (?since=0 replays, ?name=prefix)"},
      {"GET /host/v1/api", "the plug-in's API description"},
      {"GET /host/v1/openapi.json", "an OpenAPI 3.1 document of the plug-in's routes"},
      {"GET /host/v1/memory", "the plug-in's memory statistics"},
      {"GET /host/v1/counters", "waits, pumps, tasks, events and requests"},
      {"GET /host/v1/log", "recent log lines (?count=N, ?contains=text)"},
      {"POST /host/v1/login", "log in: {\"summonerId\", \"accountId\", \"summonerLevel\"}, all optional"},
      {"POST /host/v1/logout", "log out"},
      {"POST /host/v1/reconnect", "the session goes offline and back"},
      {"GET /host/v1/resources", "the played resources"},
      {"GET|PUT|DELETE /host/v1/resources/<uri>", "read, set (JSON body) or delete a played resource"},
      {"POST /host/v1/messages/store-fulfillment", "push {\"inventoryType\", \"data\"}"},
      {"POST /host/v1/messages/rental-update", "push {\"inventoryType\", \"data\"}"},
      {"POST /host/v1/messages/dynamic-configuration", "push the live configuration (or the body given)"},
      {"GET /host/v1/notifications", "player notifications the plug-in posted"},
      {"GET /host/v1/telemetry", "telemetry events the plug-in posted"},
      {"GET|POST /host/v1/faults", "injected faults: {\"championSummary\", \"champions\": {id: n}, \"inventory\", "
                                   "\"delayMs\"} (n failures, -1 for ever)"},
  };
  BindingValue index;
  // The server reads a POST or PUT body before it routes the request, and
  // one sent without any (no Content-Length) is refused.
  index.Member("note").SetString("Send every POST and PUT with a body, even an empty one (curl -d '').");
  BindingValue& endpoints = index.Member("endpoints");
  for (const auto& [endpoint, meaning] : kEndpoints) endpoints.Member(endpoint).SetString(meaning);
  return index;
}

void AddObservations(httplib::Server& server, HostCore& core) {
  const auto started = std::chrono::steady_clock::now();
  server.Get("/host/v1/?", [](const httplib::Request&, httplib::Response& response) { Reply(response, Index()); });
  server.Get("/host/v1/status", [&core, started](const httplib::Request&, httplib::Response& response) {
    BindingValue status;
    status.Member("plugin").SetString(core.Module() != nullptr ? core.Module()->ShortName() : "");
    status.Member("loggedInSummonerId").SetUnsigned(core.Play().LoggedInSummoner());
    status.Member("gameDataFilesServed").SetUnsigned(core.GameData().ServedFiles());
    status.Member("gameDataFiles").SetUnsigned(core.GameData().TotalFiles());
    status.Member("uptimeMs").SetUnsigned(static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()));
    Reply(response, status);
  });
  server.Get("/host/v1/api", [&core](const httplib::Request&, httplib::Response& response) {
    response.set_content(core.Catalog().DescriptionJson(), kJson);
  });
  // Written once: the description stays as it is until Shutdown.
  const std::string openapi =
      OpenApiDocument(core.Module() != nullptr ? core.Module()->Description() : nullptr,
                      core.Module() != nullptr ? core.Module()->ShortName() : "no plug-in");
  server.Get("/host/v1/openapi.json", [openapi](const httplib::Request&, httplib::Response& response) {
    response.set_content(openapi, kJson);
  });
  server.Get("/host/v1/memory", [&core](const httplib::Request&, httplib::Response& response) {
    Reply(response, core.MemoryStatistics());
  });
  server.Get("/host/v1/counters", [&core](const httplib::Request&, httplib::Response& response) {
    Reply(response, core.Counters());
  });
  server.Get("/host/v1/notifications", [&core](const httplib::Request&, httplib::Response& response) {
    Reply(response, core.Notifications().List());
  });
  server.Get("/host/v1/telemetry", [&core](const httplib::Request&, httplib::Response& response) {
    Reply(response, core.Telemetry().List());
  });
  server.Get("/host/v1/log", [&core](const httplib::Request& request, httplib::Response& response) {
    std::size_t count = 200;
    const std::string count_text = request.get_param_value("count");
    std::from_chars(count_text.data(), count_text.data() + count_text.size(), count);
    const std::string needle = request.get_param_value("contains");
    BindingValue lines;
    lines.MakeCollection();
    for (const std::string& line : core.Log().Recent(count)) {
      if (line.find(needle) != std::string::npos) lines.Append().SetString(line);
    }
    Reply(response, lines);
  });
}

void AddSession(httplib::Server& server, HostCore& core, const HostOptions& options) {
  server.Post("/host/v1/login", [&core, options](const httplib::Request& request, httplib::Response& response) {
    BindingValue body;
    if (!Body(request, response, body)) return;
    const uint64_t summoner = body.Find("summonerId").AsUnsigned(options.summoner_id);
    const uint64_t account = body.Find("accountId").AsUnsigned(options.account_id);
    const auto level = static_cast<uint32_t>(body.Find("summonerLevel").AsUnsigned(options.summoner_level));
    if (summoner == 0 || account == 0) return Fail(response, 400, "summonerId and accountId must not be 0.");
    core.Play().Login(summoner, account, level);
    BindingValue done = Done("login");
    done.Member("summonerId").SetUnsigned(summoner);
    Reply(response, done);
  });
  server.Post("/host/v1/logout", [&core](const httplib::Request&, httplib::Response& response) {
    if (!core.Play().Logout()) return Fail(response, 409, "Nobody is logged in.");
    Reply(response, Done("logout"));
  });
  server.Post("/host/v1/reconnect", [&core](const httplib::Request&, httplib::Response& response) {
    if (!core.Play().Reconnect()) return Fail(response, 409, "Nobody is logged in.");
    Reply(response, Done("reconnect"));
  });
}

void AddResources(httplib::Server& server, HostCore& core) {
  server.Get("/host/v1/resources", [&core](const httplib::Request&, httplib::Response& response) {
    BindingValue uris;
    uris.MakeCollection();
    for (const std::string& uri : core.Resources().Uris()) uris.Append().SetString(uri);
    Reply(response, uris);
  });
  server.Get("/host/v1/resources(/.+)", [&core](const httplib::Request& request, httplib::Response& response) {
    const std::string uri = request.matches[1];
    const std::optional<BindingValue> value = core.Resources().Get(uri);
    if (!value) return Fail(response, 404, "Resource " + uri + " does not exist.");
    Reply(response, *value);
  });
  server.Put("/host/v1/resources(/.+)", [&core](const httplib::Request& request, httplib::Response& response) {
    BindingValue body;
    if (!Body(request, response, body)) return;
    core.Resources().Set(request.matches[1], body);
    Reply(response, Done("set"));
  });
  server.Delete("/host/v1/resources(/.+)", [&core](const httplib::Request& request, httplib::Response& response) {
    const std::string uri = request.matches[1];
    if (!core.Resources().Remove(uri)) return Fail(response, 404, "Resource " + uri + " does not exist.");
    Reply(response, Done("deleted"));
  });
}

void AddMessages(httplib::Server& server, HostCore& core) {
  const auto push = [&core](const char* class_name) {
    return [&core, class_name](const httplib::Request& request, httplib::Response& response) {
      BindingValue body;
      if (!Body(request, response, body)) return;
      if (!body.IsStructure()) return Fail(response, 400, "Expected {\"inventoryType\", \"data\"}.");
      core.Play().PushRemoteMessage(class_name, body);
      Reply(response, Done(class_name));
    };
  };
  server.Post("/host/v1/messages/store-fulfillment", push(kStoreFulfillmentClass));
  server.Post("/host/v1/messages/rental-update", push(kRentalUpdateClass));
  server.Post("/host/v1/messages/dynamic-configuration",
              [&core](const httplib::Request& request, httplib::Response& response) {
                BindingValue body;
                if (!Body(request, response, body)) return;
                core.Play().PushDynamicConfiguration(body.IsEmpty() ? nullptr : &body);
                Reply(response, Done("dynamic-configuration"));
              });
}

void AddFaults(httplib::Server& server, HostCore& core) {
  server.Get("/host/v1/faults", [&core](const httplib::Request&, httplib::Response& response) {
    Reply(response, core.InjectedFaults().Describe());
  });
  server.Post("/host/v1/faults", [&core](const httplib::Request& request, httplib::Response& response) {
    BindingValue body;
    if (!Body(request, response, body)) return;
    const std::string error = core.InjectedFaults().Apply(body);
    if (!error.empty()) return Fail(response, 400, error);
    Reply(response, core.InjectedFaults().Describe());
  });
}

}  // namespace

void AddControlRoutes(httplib::Server& server, HostCore& core, const HostOptions& options) {
  AddObservations(server, core);
  AddSession(server, core, options);
  AddResources(server, core);
  AddMessages(server, core);
  AddFaults(server, core);
}

}  // namespace kel::host
