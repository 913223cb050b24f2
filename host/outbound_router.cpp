#include "host/outbound_router.h"

#include <cstdlib>
#include <cstring>

#include "host/body_stream.h"
#include "host/host_value_json.h"
#include "host/method_codes.h"

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
  ReleaseEncodedHostValue(response->result);
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

void FillValue(ResponseRecord& response, const JsonValue& value) {
  response.result = EncodedHostValue(value).Take();
  response.status = 200;
}

// An argument as JSON text; "null" when there is none.
std::string ArgumentJson(const RequestRecord& request, uint32_t index) {
  if (request.arguments == nullptr || index >= request.argument_count) return "null";
  return HostValueToJson(request.arguments[index].value);
}

std::string ArgumentText(const RequestRecord& request, uint32_t index) {
  if (request.arguments == nullptr || index >= request.argument_count) return {};
  const HostValue& value = request.arguments[index].value;
  if (value.kind != kHostValueBorrowedString && value.kind != kHostValueOwnedString) return {};
  if (value.payload.reference.pointer == nullptr) return {};
  const char* text = static_cast<const char*>(value.payload.reference.pointer);
  return {text, strnlen(text, value.payload.reference.count)};
}

}  // namespace

void PostedRecords::Add(std::string json) {
  std::lock_guard lock(mutex_);
  records_.push_back(std::move(json));
}

std::string PostedRecords::List() const {
  std::string list = "[";
  std::lock_guard lock(mutex_);
  for (const std::string& record : records_) {
    if (list.size() > 1) list += ',';
    list += record;
  }
  return list + "]";
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
  const Result<Json> value = ParseJson(*text);
  if (!value.Ok()) {
    return FillError(response, 500, "Game data " + std::string(name) + " is not JSON: " + value.Message());
  }
  FillValue(response, value.Value());
}

void OutboundRouter::AnswerInvoke(const RequestRecord& request, ResponseRecord& response) {
  peers_.faults.Delay();
  const uint64_t summoner = LoggedInSummoner();
  if (summoner == 0) return FillError(response, 503, "Not logged in: there is no session to relay the call over");
  const std::string destination = ArgumentText(request, 0);
  const std::string method = ArgumentText(request, 1);
  RemoteReply reply = peers_.inventory.Invoke(destination, method, summoner);
  if (!reply.ok) return FillError(response, reply.status, reply.error);
  FillValue(response, reply.response);
}

void OutboundRouter::AnswerPost(std::string_view path, const RequestRecord& request, ResponseRecord& response) {
  if (path == kNotificationsPath) {
    peers_.notifications.Add(ArgumentJson(request, 0));
    return FillValue(response, JsonValue());
  }
  if (path.starts_with(kTelemetryPrefix) && path.size() > kTelemetryPrefix.size()) {
    const std::string properties = ArgumentJson(request, 0);
    peers_.telemetry.Add(WrittenJson([&](JsonWriter& out) {
      out.StartObject();
      out.Key("eventName");
      WriteText(out, path.substr(kTelemetryPrefix.size()));
      out.Key("properties");
      out.RawValue(properties.data(), properties.size(), rapidjson::kObjectType);
      out.EndObject();
    }));
    return FillValue(response, JsonValue());
  }
  FillError(response, 404, "No plug-in answers POST " + std::string(path));
}

void OutboundRouter::AnswerResource(const std::string& uri, ResponseRecord& response) {
  const std::optional<Json> value = peers_.resources.Get(uri);
  if (!value) return FillError(response, 404, "Resource " + uri + " does not exist.");
  FillValue(response, *value);
}

uint64_t OutboundRouter::LoggedInSummoner() const {
  const std::optional<Json> session = peers_.resources.Get(kSessionUri);
  if (!session || StringMember(*session, "state") != "SUCCEEDED") return 0;
  return UnsignedMember(*session, "summonerId");
}

}  // namespace kel::host
