// The champion plug-in against a fake core that answers its requests from a
// script, keeps its tasks until a test runs them, delivers other plug-ins'
// events and records what it publishes and logs. Nothing here sleeps: the
// pauses between game-data retries are counted, not waited.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_value.h"
#include "champions/champion_plugin.h"
#include "runtime/event_names.h"
#include "runtime/runtime_records.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"
#include "support/core_events.h"
#include "support/core_requests.h"
#include "support/fake_core.h"
#include "support/invoke_call.h"

namespace kel::testing {

// What the plug-in talks to and the tasks it schedules, by name.
inline constexpr const char* kSessionUri = "/kel-login/v1/session";
inline constexpr const char* kLoyaltyUri = "/kel-loyalty/v1/status-notification";
inline constexpr const char* kSummonerUri = "/kel-summoner/v1/current-summoner";
inline constexpr const char* kPreShutdownUri = "/tesselclient/pre-shutdown/begin";
inline constexpr const char* kSummaryUrl = "/kel-game-data/assets/v1/champion-summary.json";
inline constexpr const char* kInvokeUrl = "/kel-login/v1/session/invoke";
inline constexpr const char* kGameDataTask = "zbt-be-kel-champions:FetchChampionGameData";
inline constexpr const char* kOwnershipTask = "zbt-be-kel-champions:FetchChampionOwnershipData";
inline constexpr const char* kTimeoutTask = "kel-champions.check-champion-cache";
inline constexpr const char* kTimerTask = "kel-champions.legacy-rental-expire";
inline constexpr PluginResourceEventType kCreate = PluginResourceEventType::Create;
inline constexpr PluginResourceEventType kUpdate = PluginResourceEventType::Update;
inline constexpr PluginResourceEventType kDelete = PluginResourceEventType::Delete;

inline BindingValue Json(const std::string& text) { return ParseJson(text.c_str()).Value(); }
inline std::string ToJson(const BindingValue& value) { return WriteJson(value); }

class FlowsRig {
 public:
  // The plug-in entered; Initialize starts its flows. Shut down as the core
  // does when the rig goes.
  FlowsRig()
      : plugin_(new champions::ChampionPlugin([this](champions::ShutdownSignal& signal, std::chrono::seconds pause) {
          pauses.push_back(pause);
          if (onPause) onPause();
          // A game-data source that never answers would keep the task
          // retrying for ever; end it as a shutdown would.
          if (pauses.size() >= 20) signal.Signal();
        })) {
    plugin_->Enter(record_, "kel-champions");
  }
  ~FlowsRig() { record_.callbacks->shutdown(record_.context); }

  bool Initialize() { return record_.callbacks->initialize(record_.context, &core.services()) != 0; }
  champions::ChampionPlugin& Plugin() { return *plugin_; }
  const BindingRegistry& Registry() const { return plugin_->Registry(); }
  const ApiDescription& Description() const { return *record_.api_description; }
  // A GET of `path` through the invoke entry of the named function.
  TestAnswer Get(std::string_view function, const std::string& path) const {
    return CallFunction(*record_.api_description, function, path);
  }

  // Requests for a URL without an answer fail with "Not found".
  void AnswerJson(const std::string& url, std::string_view json) { script.AnswerJson(url, json); }
  void AnswerError(const std::string& url, std::string error) { script.AnswerError(url, std::move(error)); }
  std::vector<SentRequest> RequestsTo(std::string_view url) const { return script.SentTo(url); }

  size_t Pending(std::string_view label) const { return tasks.Pending(label); }
  double DelayOf(std::string_view label) const { return tasks.DelayOf(label); }
  bool Run(std::string_view label) { return tasks.Run(label); }
  // Runs pending tasks (and those they schedule) other than the post-login
  // check and legacy-rental timers, until none is left.
  void RunLoaders() {
    for (bool ran = true; ran;) {
      ran = false;
      for (const std::string& label : tasks.Pending()) {
        if (label == kTimeoutTask || label == kTimerTask) continue;
        ran = Run(label);
        break;
      }
    }
  }

  // Another plug-in's resource changed.
  void Resource(const std::string& uri, PluginResourceEventType eventType, const std::string& json) {
    DeliverEvent(core, ResourceEventName(uri), ResourceEventPayload(uri, eventType, Json(json)));
  }
  // The remote service pushed a message; its task is run at once.
  void Drov(const std::string& className, const std::string& bodyJson) {
    DeliverEvent(core, DrovEventName(className), DrovMessagePayload(className, Json(bodyJson)));
    Run("Event: OnDrovEvent (" + className + ")");
  }

  // Events under their own names (the copies under "OnJsonApiEvent" left out).
  std::vector<PublishedEvent> Published() const { return events.OwnNames(); }
  BindingValue Latest(std::string_view uri) const { return events.Latest(uri); }
  bool Logged(std::string_view text) const { return core.Logged(text); }

  // The pauses the game-data task took between retries; `onPause` runs in
  // each one.
  std::vector<std::chrono::seconds> pauses;
  std::function<void()> onPause;

  FakeCore core;
  RequestScript script{core, {BindingValue(), "Not found", 404}};
  TaskRunner tasks{core};
  PublishedEvents events{core};

 private:
  PluginHostRecord record_{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
  champions::ChampionPlugin* plugin_;
};

}  // namespace kel::testing
