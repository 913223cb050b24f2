#include "flows_rig.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "api/request_abi.h"
#include "binding/host_value_conversion.h"
#include "champions/champion_plugin.h"
#include "runtime/event_abi.h"
#include "runtime/event_names.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"
#include "support/core_events.h"

namespace kel::testing {
namespace {

constexpr const char* kNotFound = "Not found";
constexpr size_t kMaxPauses = 20;

char* CopyText(const std::string& text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

// The body of a streamed reply, handed out in two reads.
struct Stream {
  std::string text;
  int reads = 0;
};

uint32_t ReadStream(void* stream, uintptr_t buffer, uintptr_t length, uintptr_t more) {
  auto* body = static_cast<Stream*>(stream);
  auto* size = reinterpret_cast<uint32_t*>(length);
  const size_t half = body->text.size() / 2;
  const std::string part = body->reads++ == 0 ? body->text.substr(0, half) : body->text.substr(half);
  std::memcpy(reinterpret_cast<char*>(buffer), part.data(), part.size());
  *size = static_cast<uint32_t>(part.size());
  *reinterpret_cast<uint8_t*>(more) = body->reads == 1 ? 1 : 0;
  return 1;
}

// The core sees an event type by its enumerator name.
int64_t EventTypeCode(const BindingValue& type) {
  const std::string_view name = type.GetString();
  return name == "Create" ? 0 : name == "Update" ? 1 : name == "Delete" ? 2 : -1;
}

void ReleaseResponse(ResponseRecord* response) {
  delete[] response->error_message;
  ReleaseHostValue(response->result);
}

}  // namespace

BindingValue Json(const std::string& text) {
  BindingResult parsed = ParseJson(text.c_str());
  return parsed.Ok() ? std::move(parsed.Value()) : BindingValue();
}

std::string ToJson(const BindingValue& value) { return WriteJson(value); }

FlowsRig::FlowsRig() {
  plugin = std::make_unique<champions::ChampionPlugin>(
      [this](champions::ShutdownSignal& signal, std::chrono::seconds duration) {
        pauses.push_back(duration);
        if (onPause) onPause();
        // A game-data source that never answers would keep the task retrying
        // for ever; end it as a shutdown would.
        if (pauses.size() >= kMaxPauses) signal.Signal();
      });
  PluginHostRecord record{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
  plugin->Enter(record, "kel-champions");
  core.on_send_request = [this](const RequestCall& call) { Reply(call); };
  core.on_publish_event = [this](const OutgoingEventRecord* event) {
    BindingResult payload;
    FromHostValue(payload, event->payload, "<event>");
    const std::string name = event->name;
    if (name == "OnJsonApiEvent") return;
    std::lock_guard lock(mutex_);
    published_.push_back({name, std::string(payload.Value().Find("uri").GetString()),
                          EventTypeCode(payload.Value().Find("eventType")), payload.Value().Find("data")});
  };
}

FlowsRig::~FlowsRig() = default;

bool FlowsRig::Initialize() { return plugin->Initialize(&core.services()); }

const BindingRegistry& FlowsRig::Registry() const { return plugin->Registry(); }

void FlowsRig::Answer(const std::string& url, ScriptedReply reply) {
  std::lock_guard lock(mutex_);
  std::deque<Scripted>& script = replies_[url];
  // A last reply that has answered already gives way to the new one.
  if (!script.empty() && script.back().used) script.pop_back();
  script.push_back({std::move(reply), false});
}

void FlowsRig::Reply(const RequestCall& call) {
  SentRequest sent{call.request->method, call.request->path, {}};
  for (uint32_t i = 0; i < call.request->argument_count; ++i) {
    BindingResult parameter;
    FromHostValue(parameter, call.request->arguments[i].value, "<parameter>");
    sent.parameters.push_back(ToJson(parameter.Value()));
  }
  ScriptedReply reply{"", kNotFound};
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(sent);
    auto script = replies_.find(sent.url);
    if (script != replies_.end() && !script->second.empty()) {
      reply = script->second.front().reply;
      if (script->second.size() > 1) {
        script->second.pop_front();
      } else {
        script->second.front().used = true;
      }
    }
  }
  if (onRequest) onRequest(sent);
  ResponseRecord& response = *call.response;
  response.release = &ReleaseResponse;
  if (reply.error) {
    response.error_message = CopyText(*reply.error);
    response.has_error = 1;
    response.status = *reply.error == kNotFound ? 404 : 500;
    return;
  }
  response.status = 200;
  if (reply.streamed) {
    response.body_stream = new Stream{reply.json};
    response.body_size = static_cast<uint32_t>(reply.json.size());
    response.read_body = &ReadStream;
    response.release_body = [](void* stream) { delete static_cast<Stream*>(stream); };
    return;
  }
  BindingResult converted;
  ToHostValue(converted, Json(reply.json), response.result);
}

std::vector<SentRequest> FlowsRig::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<SentRequest> FlowsRig::RequestsTo(std::string_view url) const {
  std::vector<SentRequest> matching;
  for (SentRequest& request : Requests()) {
    if (request.url == url) matching.push_back(std::move(request));
  }
  return matching;
}

std::vector<std::string> FlowsRig::PendingTasks() const {
  const std::vector<ScheduledCall> scheduled = core.scheduled();
  std::vector<std::string> labels;
  for (size_t i = 0; i < scheduled.size(); ++i) {
    if (i >= ran_.size() || !ran_[i]) labels.push_back(scheduled[i].label);
  }
  return labels;
}

size_t FlowsRig::Pending(std::string_view label) const {
  const std::vector<std::string> pending = PendingTasks();
  return static_cast<size_t>(std::count(pending.begin(), pending.end(), label));
}

double FlowsRig::DelayOf(std::string_view label) const {
  const std::vector<ScheduledCall> scheduled = core.scheduled();
  for (auto it = scheduled.rbegin(); it != scheduled.rend(); ++it) {
    if (it->label == label) return it->delay_seconds;
  }
  return -1;
}

bool FlowsRig::Run(std::string_view label) {
  const std::vector<ScheduledCall> scheduled = core.scheduled();
  ran_.resize(scheduled.size(), false);
  for (size_t i = 0; i < scheduled.size(); ++i) {
    if (ran_[i] || scheduled[i].label != label) continue;
    ran_[i] = true;
    scheduled[i].callback(scheduled[i].context);
    return true;
  }
  return false;
}

void FlowsRig::RunLoaders() {
  for (bool ran = true; ran;) {
    ran = false;
    for (const std::string& label : PendingTasks()) {
      if (label == kTimeoutTask || label == kTimerTask) continue;
      ran = Run(label);
      break;
    }
  }
}

void FlowsRig::Resource(const std::string& uri, int eventType, const std::string& json) {
  BindingValue payload;
  payload.Member("uri").SetString(uri);
  payload.Member("eventType").SetSigned(eventType);
  payload.Member("data") = Json(json);
  DeliverEvent(core, ResourceEventName(uri), payload);
}

void FlowsRig::Drov(const std::string& className, const std::string& bodyJson) {
  BindingValue payload;
  payload.Member("clientId").SetString("client");
  payload.Member("subtopic").SetString("topic");
  payload.Member("typeName").SetString(className);
  payload.Member("body") = Json(bodyJson);
  DeliverEvent(core, DrovEventName(className), payload);
  Run("Event: OnDrovEvent (" + className + ")");
}

std::vector<PublishedEvent> FlowsRig::Published() const {
  std::lock_guard lock(mutex_);
  return published_;
}

BindingValue FlowsRig::Latest(std::string_view uri) const {
  const std::vector<PublishedEvent> published = Published();
  for (auto it = published.rbegin(); it != published.rend(); ++it) {
    if (it->uri == uri) return it->data;
  }
  return {};
}

std::vector<std::string> FlowsRig::LogTexts() const {
  std::vector<std::string> texts;
  for (const LogCall& line : core.log_lines()) texts.push_back(line.text);
  return texts;
}

bool FlowsRig::Logged(std::string_view text) const {
  for (const std::string& line : LogTexts()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace kel::testing
