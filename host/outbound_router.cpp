#include "host/outbound_router.h"

#include <cstdlib>
#include <cstring>

#include "binding/binding_result.h"
#include "binding/host_value_conversion.h"
#include "host/body_stream.h"
#include "host/method_codes.h"
#include "host/value_json.h"

namespace kel::host {
namespace {

constexpr std::string_view kGameDataPrefix = "/kel-game-data/assets/v1/";
constexpr std::string_view kInvokePath = "/kel-login/v1/session/invoke";
constexpr std::string_view kNotificationsPath = "/player-notifications/v1/notifications";
constexpr std::string_view kTelemetryPrefix = "/telemetry/v1/events/";
constexpr const char* kSessionUri = "/kel-login/v1/session";
constexpr const char* kEmptyText = "";

// The response release function of every response the host fills: called
// by the plug-in, on its thread, once it is done with the response.
void ReleaseHostResponse(ResponseRecord* response) {
  if (response == nullptr) return;
  ReleaseHostValue(response->result);
  std::free(response->error_message);
  std::memset(response, 0, sizeof *response);
}

void Prepare(ResponseRecord& response) {
  response.text = kEmptyText;
  response.release = &ReleaseHostResponse;
}

void FillError(ResponseRecord& response, uint32_t status, const std::string& message) {
  response.error_message = strdup(message.c_str());
  response.has_error = 1;
  response.status = status;
}

void FillValue(ResponseRecord& response, const BindingValue& value) {
  response.result = OwnedHostValue(value).Take();
  response.status = 200;
}

BindingValue Argument(const RequestRecord& request, uint32_t index) {
  if (request.arguments == nullptr || index >= request.argument_count) return {};
  BindingResult value;
  FromHostValue(value, request.arguments[index].value, "<argument>");
  return value.Ok() ? std::move(value.Value()) : BindingValue();
}

}  // namespace

void PostedRecords::Add(BindingValue record) {
  std::lock_guard lock(mutex_);
  records_.push_back(std::move(record));
}

BindingValue PostedRecords::List() const {
  BindingValue list;
  list.MakeCollection();
  std::lock_guard lock(mutex_);
  for (const BindingValue& record : records_) list.Append() = record;
  return list;
}

std::size_t PostedRecords::Count() const {
  std::lock_guard lock(mutex_);
  return records_.size();
}

void OutboundRouter::Answer(const RequestRecord& request, ResponseRecord& response) {
  ++requests_;
  Prepare(response);
  const std::string path = request.path != nullptr ? request.path : "";
  const MethodCode method = MethodFromCode(request.method);
  if (method == MethodCode::kGet && path.starts_with(kGameDataPrefix)) {
    AnswerGameData(std::string_view(path).substr(kGameDataPrefix.size()), response);
  } else if (method == MethodCode::kPost && path == kInvokePath) {
    AnswerInvoke(request, response);
  } else if (method == MethodCode::kPost) {
    AnswerPost(path, request, response);
  } else if (method == MethodCode::kGet) {
    AnswerResource(path, response);
  } else {
    FillError(response, 405, "No plug-in answers " + std::string(MethodName(method)) + " " + path);
  }
}

void OutboundRouter::AnswerGameData(std::string_view name, ResponseRecord& response) {
  peers_.faults.Delay();
  const std::optional<int32_t> champion = GameDataSource::ChampionIdOf(name);
  const bool failing = champion ? peers_.faults.TakeChampionFailure(*champion)
                                : name == "champion-summary.json" && peers_.faults.ChampionSummary().Take();
  if (failing) {
    return FillError(response, 503, "Game data unavailable: " + std::string(name) + " (injected fault)");
  }
  std::optional<std::string> text = peers_.game_data.Read(name);
  if (!text) return FillError(response, 404, "No game data at " + std::string(name));
  if (text->size() > kStreamAbove) {
    response.status = 200;
    return AttachBodyStream(response, std::move(*text));
  }
  std::string error;
  const std::optional<BindingValue> value = ParseJsonText(*text, &error);
  if (!value) return FillError(response, 500, "Game data " + std::string(name) + " is not JSON: " + error);
  FillValue(response, *value);
}

void OutboundRouter::AnswerInvoke(const RequestRecord& request, ResponseRecord& response) {
  peers_.faults.Delay();
  const uint64_t summoner = LoggedInSummoner();
  if (summoner == 0) return FillError(response, 503, "Not logged in: there is no session to relay the call over");
  const std::string destination(Argument(request, 0).GetString());
  const std::string method(Argument(request, 1).GetString());
  RemoteReply reply = peers_.inventory.Invoke(destination, method, summoner);
  if (!reply.ok) return FillError(response, reply.status, reply.error);
  FillValue(response, reply.response);
}

void OutboundRouter::AnswerPost(std::string_view path, const RequestRecord& request, ResponseRecord& response) {
  if (path == kNotificationsPath) {
    peers_.notifications.Add(Argument(request, 0));
    return FillValue(response, BindingValue());
  }
  if (path.starts_with(kTelemetryPrefix) && path.size() > kTelemetryPrefix.size()) {
    BindingValue posted;
    posted.Member("eventName").SetString(path.substr(kTelemetryPrefix.size()));
    posted.Member("properties") = Argument(request, 0);
    peers_.telemetry.Add(std::move(posted));
    return FillValue(response, BindingValue());
  }
  FillError(response, 404, "No plug-in answers POST " + std::string(path));
}

void OutboundRouter::AnswerResource(const std::string& uri, ResponseRecord& response) {
  const std::optional<BindingValue> value = peers_.resources.Get(uri);
  if (!value) return FillError(response, 404, "Resource " + uri + " does not exist.");
  FillValue(response, *value);
}

uint64_t OutboundRouter::LoggedInSummoner() const {
  const std::optional<BindingValue> session = peers_.resources.Get(kSessionUri);
  if (!session || session->Find("state").GetString() != "SUCCEEDED") return 0;
  return session->Find("summonerId").AsUnsigned();
}

}  // namespace kel::host
