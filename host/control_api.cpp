// The control API under /host/v1/: scenarios (login, logout, reconnect,
// store and rental steps, resources, pushed messages, faults) and what the
// host observed (API description, OpenAPI document, memory, counters,
// notifications, telemetry, log, status), served from one table.
#include <httplib.h>

#include <charconv>
#include <chrono>
#include <functional>
#include <vector>

#include "datagen/configuration_json.h"
#include "host/http_server.h"
#include "host/openapi_document.h"
#include "host/json.h"
#include "host/store_scenarios.h"

namespace kel::host {
namespace {

constexpr const char* kJson = "application/json";

void Reply(httplib::Response& response, const std::string& json) {
  response.status = 200;
  response.set_content(json, kJson);
}

void Reply(httplib::Response& response, const JsonValue& value) { Reply(response, WriteJson(value)); }

// A member added to a value the control API answers with.
void Add(Json& document, const char* key, JsonValue value) { SetMember(document, document, key, std::move(value)); }
JsonValue Text(Json& document, std::string_view text) {
  return JsonValue(text.data(), static_cast<rapidjson::SizeType>(text.size()), document.GetAllocator());
}

// A member read as a signed number, absent (or not a number) as nothing.
std::optional<int64_t> SignedOf(const JsonValue& object, std::string_view key) {
  const JsonValue* member = FindMember(object, key);
  if (member == nullptr || !member->IsNumber()) return std::nullopt;
  return member->IsInt64() ? member->GetInt64() : static_cast<int64_t>(member->GetDouble());
}

void Fail(httplib::Response& response, int status, const std::string& message) {
  const InvokeAnswer answer = ErrorAnswer(status, message);
  response.status = answer.status;
  response.set_content(answer.json, kJson);
}

Json Done(std::string_view what) {
  Json done;
  Add(done, "done", Text(done, what));
  return done;
}

// The request body as a value; an empty body (or only white space) is null.
// False (with the answer written) when the body is not JSON.
bool Body(const httplib::Request& request, httplib::Response& response, Json& body) {
  if (request.body.find_first_not_of(" \t\r\n") == std::string::npos) {
    body.SetNull();
    return true;
  }
  Result<Json> parsed = ParseJson(request.body);
  if (!parsed.Ok()) {
    Fail(response, 400, "The body is not JSON: " + parsed.Message());
    return false;
  }
  body = std::move(parsed.Value());
  return true;
}

using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

// One endpoint of the control API: the index shows `method path` with its
// help, and the server routes `method` and the path's pattern to `handler`.
// In a path, "<uri>" stands for the rest of it; a null handler is served
// outside this table (the page's files, the event stream).
struct Endpoint {
  const char* method;
  const char* path;
  const char* help;
  Handler handler;
};

std::string Pattern(std::string_view path) {
  std::string pattern(path);
  if (const std::size_t uri = pattern.find("/<uri>"); uri != std::string::npos) pattern.replace(uri, 6, "(/.+)");
  if (pattern.ends_with('/')) pattern += '?';
  return pattern;
}

Handler Observed(const std::function<std::string()>& observe) {
  return [observe](const httplib::Request&, httplib::Response& response) { Reply(response, observe()); };
}

Handler Log(HostCore& core) {
  return [&core](const httplib::Request& request, httplib::Response& response) {
    std::size_t count = 200;
    const std::string count_text = request.get_param_value("count");
    std::from_chars(count_text.data(), count_text.data() + count_text.size(), count);
    const std::string needle = request.get_param_value("contains");
    Reply(response, WrittenJson([&](JsonWriter& out) {
            out.StartArray();
            for (const std::string& line : core.Log().Recent(count)) {
              if (line.find(needle) != std::string::npos) WriteText(out, line);
            }
            out.EndArray();
          }));
  };
}

Handler Status(HostCore& core) {
  const auto started = std::chrono::steady_clock::now();
  return [&core, started](const httplib::Request&, httplib::Response& response) {
    Json status;
    Add(status, "plugin", Text(status, core.Module() != nullptr ? core.Module()->ShortName() : ""));
    Add(status, "loggedInSummonerId", JsonValue(core.Play().LoggedInSummoner()));
    Add(status, "gameDataFilesServed", JsonValue(uint64_t{core.GameData().ServedFiles()}));
    Add(status, "gameDataFiles", JsonValue(uint64_t{core.GameData().TotalFiles()}));
    Add(status, "uptimeMs",
        JsonValue(static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                .count())));
    Reply(response, status);
  };
}

Handler Login(HostCore& core, const HostOptions& options) {
  return [&core, options](const httplib::Request& request, httplib::Response& response) {
    Json body;
    if (!Body(request, response, body)) return;
    const uint64_t summoner = UnsignedMember(body, "summonerId", options.summoner_id);
    const uint64_t account = UnsignedMember(body, "accountId", options.account_id);
    const auto level = static_cast<uint32_t>(UnsignedMember(body, "summonerLevel", options.summoner_level));
    if (summoner == 0 || account == 0) return Fail(response, 400, "summonerId and accountId must not be 0.");
    core.Play().Login(summoner, account, level);
    Json done = Done("login");
    Add(done, "summonerId", JsonValue(summoner));
    Reply(response, done);
  };
}

Handler SessionStep(const char* what, const std::function<bool()>& step) {
  return [what, step](const httplib::Request&, httplib::Response& response) {
    if (!step()) return Fail(response, 409, "Nobody is logged in.");
    Reply(response, Done(what));
  };
}

Handler Push(HostCore& core, const char* class_name) {
  return [&core, class_name](const httplib::Request& request, httplib::Response& response) {
    Json body;
    if (!Body(request, response, body)) return;
    if (!body.IsObject()) return Fail(response, 400, "Expected {\"inventoryType\", \"data\"}.");
    core.Play().PushRemoteMessage(class_name, body);
    Reply(response, Done(class_name));
  };
}

// A store or rental step for the logged-in summoner: {"championId",
// "skinId" (optional), "days" (of a rental)}.
Handler Store(HostCore& core, StoreStep step) {
  return [&core, step](const httplib::Request& request, httplib::Response& response) {
    Json body;
    if (!Body(request, response, body)) return;
    const std::optional<int64_t> champion = SignedOf(body, "championId");
    const std::optional<int64_t> skin = SignedOf(body, "skinId");
    StoreItem item;
    item.champion_id = static_cast<int32_t>(champion.value_or(0));
    if (skin) item.skin_id = static_cast<int32_t>(*skin);
    item.days = static_cast<uint32_t>(std::min<uint64_t>(UnsignedMember(body, "days"), UINT32_MAX));
    if (!champion) return Fail(response, 400, "Expected {\"championId\"} (and \"skinId\" for a skin).");
    if (step == StoreStep::kRent && (item.days == 0 || item.days > 3650)) {
      return Fail(response, 400, "A rental lasts 1 to 3650 \"days\".");
    }
    const uint64_t summoner = core.Play().LoggedInSummoner();
    if (summoner == 0) return Fail(response, 409, "Nobody is logged in.");
    const auto now =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch());
    const StoreMessage message =
        BuildStoreMessage(core.World(), summoner, step, item, static_cast<uint64_t>(now.count()));
    if (message.class_name == nullptr) return Fail(response, 404, message.error);
    const Result<Json> pushed = ParseJson(message.body);
    if (!pushed.Ok()) return Fail(response, 500, "The store message is not JSON: " + pushed.Message());
    core.Play().PushRemoteMessage(message.class_name, pushed.Value());
    Reply(response, pushed.Value());
  };
}

// The disabled skins of the platform configuration, with `skinId` added
// ("disabled": true) or taken out.
Handler DisableSkin(HostCore& core) {
  return [&core](const httplib::Request& request, httplib::Response& response) {
    Json body;
    if (!Body(request, response, body)) return;
    const std::optional<int64_t> skin = SignedOf(body, "skinId");
    if (!skin) return Fail(response, 400, "Expected {\"skinId\", \"disabled\"}.");
    const int64_t id = *skin;
    Json next;
    next.SetArray();
    if (const std::optional<Json> ids = core.Resources().Get(datagen::kDisabledSkinsUri); ids && ids->IsArray()) {
      for (const JsonValue& kept : ids->GetArray()) {
        if (!(kept.IsInt64() && kept.GetInt64() == id))
          next.PushBack(JsonValue(kept, next.GetAllocator()), next.GetAllocator());
      }
    }
    const JsonValue* disabled = FindMember(body, "disabled");
    if (disabled == nullptr || !disabled->IsBool() || disabled->GetBool()) {
      next.PushBack(JsonValue(id), next.GetAllocator());
    }
    core.Resources().Set(datagen::kDisabledSkinsUri, next);
    Reply(response, next);
  };
}

Handler ResourceList(HostCore& core) {
  return [&core](const httplib::Request&, httplib::Response& response) {
    Reply(response, WrittenJson([&](JsonWriter& out) {
            out.StartArray();
            for (const std::string& uri : core.Resources().Uris()) WriteText(out, uri);
            out.EndArray();
          }));
  };
}

std::vector<Endpoint> Endpoints(HostCore& core, const HostOptions& options) {
  // Written once: the description stays as it is until Shutdown.
  const std::string openapi = OpenApiDocument(core.Module() != nullptr ? core.Module()->Description() : nullptr,
                                              core.Module() != nullptr ? core.Module()->ShortName() : "no plug-in");
  Faults& faults = core.InjectedFaults();
  return {
      {"GET", "/", "the live inventory page", nullptr},
      {"GET", "/host/v1/", "this index", nullptr},
      {"GET", "/host/v1/status", "plug-in, logged-in summoner, game-data progress", Status(core)},
      {"GET", "/host/v1/events",
       "server-sent events of everything the plug-in publishes (?since=0 replays, ?name=prefix)", nullptr},
      {"GET", "/host/v1/api", "the plug-in's API description",
       [&core](const httplib::Request&, httplib::Response& response) {
         response.set_content(core.Catalog().DescriptionJson(), kJson);
       }},
      {"GET", "/host/v1/openapi.json", "an OpenAPI 3.1 document of the plug-in's routes",
       [openapi](const httplib::Request&, httplib::Response& response) { response.set_content(openapi, kJson); }},
      {"GET", "/host/v1/memory", "the plug-in's memory statistics",
       Observed([&core] { return core.MemoryStatisticsJson(); })},
      {"GET", "/host/v1/counters", "waits, pumps, tasks, events and requests",
       Observed([&core] { return core.Counters(); })},
      {"GET", "/host/v1/log", "recent log lines (?count=N, ?contains=text)", Log(core)},
      {"POST", "/host/v1/login", "log in: {\"summonerId\", \"accountId\", \"summonerLevel\"}, all optional",
       Login(core, options)},
      {"POST", "/host/v1/logout", "log out", SessionStep("logout", [&core] { return core.Play().Logout(); })},
      {"POST", "/host/v1/reconnect", "the session goes offline and back",
       SessionStep("reconnect", [&core] { return core.Play().Reconnect(); })},
      {"POST", "/host/v1/store/buy", "the store sells {\"championId\"} or its {\"skinId\"} (a skin or chroma)",
       Store(core, StoreStep::kBuy)},
      {"POST", "/host/v1/store/rent", "the store rents {\"championId\"} (or its {\"skinId\"}) for {\"days\"}",
       Store(core, StoreStep::kRent)},
      {"POST", "/host/v1/store/end-rental", "the rental of {\"championId\"} (or its {\"skinId\"}) ends",
       Store(core, StoreStep::kEndRental)},
      {"POST", "/host/v1/store/disable-skin", "{\"skinId\", \"disabled\"}: the configuration disables a skin or not",
       DisableSkin(core)},
      {"GET", "/host/v1/resources", "the played resources", ResourceList(core)},
      {"GET", "/host/v1/resources/<uri>", "read a played resource",
       [&core](const httplib::Request& request, httplib::Response& response) {
         const std::string uri = request.matches[1];
         const std::optional<Json> value = core.Resources().Get(uri);
         if (!value) return Fail(response, 404, "Resource " + uri + " does not exist.");
         Reply(response, *value);
       }},
      {"PUT", "/host/v1/resources/<uri>", "set a played resource to the JSON body",
       [&core](const httplib::Request& request, httplib::Response& response) {
         Json body;
         if (!Body(request, response, body)) return;
         core.Resources().Set(request.matches[1], body);
         Reply(response, Done("set"));
       }},
      {"DELETE", "/host/v1/resources/<uri>", "delete a played resource",
       [&core](const httplib::Request& request, httplib::Response& response) {
         const std::string uri = request.matches[1];
         if (!core.Resources().Remove(uri)) return Fail(response, 404, "Resource " + uri + " does not exist.");
         Reply(response, Done("deleted"));
       }},
      {"POST", "/host/v1/messages/store-fulfillment", "push {\"inventoryType\", \"data\"}",
       Push(core, kStoreFulfillmentClass)},
      {"POST", "/host/v1/messages/rental-update", "push {\"inventoryType\", \"data\"}", Push(core, kRentalUpdateClass)},
      {"POST", "/host/v1/messages/dynamic-configuration", "push the live configuration (or the body given)",
       [&core](const httplib::Request& request, httplib::Response& response) {
         Json body;
         if (!Body(request, response, body)) return;
         core.Play().PushDynamicConfiguration(body.IsNull() ? nullptr : &body);
         Reply(response, Done("dynamic-configuration"));
       }},
      {"GET", "/host/v1/notifications", "player notifications the plug-in posted",
       Observed([&core] { return core.Notifications().List(); })},
      {"GET", "/host/v1/telemetry", "telemetry events the plug-in posted",
       Observed([&core] { return core.Telemetry().List(); })},
      {"GET", "/host/v1/faults", "the injected faults", Observed([&faults] { return faults.Describe(); })},
      {"POST", "/host/v1/faults",
       "inject faults: {\"championSummary\", \"champions\": {id: n}, \"inventory\", \"delayMs\"} (n failures, -1 for "
       "ever)",
       [&faults](const httplib::Request& request, httplib::Response& response) {
         Json body;
         if (!Body(request, response, body)) return;
         const Outcome applied = faults.Apply(body);
         if (!applied.Ok()) return Fail(response, 400, applied.Message());
         Reply(response, faults.Describe());
       }},
  };
}

std::string Index(const std::vector<Endpoint>& endpoints) {
  return WrittenJson([&](JsonWriter& out) {
    out.StartObject();
    // The server reads a POST or PUT body before it routes the request, and
    // one sent without any (no Content-Length) is refused.
    out.Key("note");
    out.String("Send every POST and PUT with a body, even an empty one (curl -d '').");
    out.Key("endpoints");
    out.StartObject();
    for (const Endpoint& endpoint : endpoints) {
      WriteText(out, std::string(endpoint.method) + " " + endpoint.path);
      out.String(endpoint.help);
    }
    out.EndObject();
    out.EndObject();
  });
}

}  // namespace

void AddControlRoutes(httplib::Server& server, HostCore& core, const HostOptions& options) {
  const std::vector<Endpoint> endpoints = Endpoints(core, options);
  const std::string index = Index(endpoints);
  server.Get(Pattern("/host/v1/"),
             [index](const httplib::Request&, httplib::Response& response) { Reply(response, index); });
  for (const Endpoint& endpoint : endpoints) {
    if (endpoint.handler == nullptr) continue;
    const std::string pattern = Pattern(endpoint.path);
    const std::string_view method = endpoint.method;
    if (method == "GET") server.Get(pattern, endpoint.handler);
    if (method == "POST") server.Post(pattern, endpoint.handler);
    if (method == "PUT") server.Put(pattern, endpoint.handler);
    if (method == "DELETE") server.Delete(pattern, endpoint.handler);
  }
}

}  // namespace kel::host
