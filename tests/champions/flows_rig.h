// The champion plug-in against a fake core that answers its requests from a
// script, keeps its tasks until a test runs them, delivers other plug-ins'
// events and records what it publishes and logs. Nothing here sleeps: the
// pauses between game-data retries are counted, not waited.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_value.h"
#include "support/fake_core.h"

namespace kel {
class BindingRegistry;
}
namespace kel::champions {
class ChampionPlugin;
}
namespace kel::testing {


// One answer of the core to a request.
struct ScriptedReply {
  std::string json;                  // the body when there is no error
  std::optional<std::string> error;  // the core's error message
  bool streamed = false;             // the body comes in two reads, with a yield between
};

struct SentRequest {
  uint32_t method = 0;
  std::string url;
  std::vector<std::string> parameters;  // each as JSON
};

struct PublishedEvent {
  std::string name;
  std::string uri;
  int64_t eventType = -1;
  BindingValue data;
};

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

class FlowsRig {
 public:
  FlowsRig();
  ~FlowsRig();

  bool Initialize();
  const BindingRegistry& Registry() const;

  // Requests for `url` take the queued replies in order; the last one keeps
  // answering until another is queued. A url without replies fails with
  // "Not found".
  void Answer(const std::string& url, ScriptedReply reply);
  void AnswerJson(const std::string& url, std::string json) { Answer(url, ScriptedReply{std::move(json)}); }
  void AnswerError(const std::string& url, std::string error) { Answer(url, ScriptedReply{"", std::move(error)}); }
  // Runs on the requesting thread before the reply is given.
  std::function<void(const SentRequest&)> onRequest;
  std::vector<SentRequest> Requests() const;
  std::vector<SentRequest> RequestsTo(std::string_view url) const;

  // Labels of the tasks scheduled and not run yet, oldest first.
  std::vector<std::string> PendingTasks() const;
  size_t Pending(std::string_view label) const;
  // The delay the newest task of that label was scheduled with.
  double DelayOf(std::string_view label) const;
  // Runs the oldest pending task of that label; false when there is none.
  bool Run(std::string_view label);
  // Runs pending tasks (and those they schedule) other than the post-login
  // check and legacy-rental timers, until none is left.
  void RunLoaders();

  // Another plug-in's resource changed (0 create, 1 update, 2 delete).
  void Resource(const std::string& uri, int eventType, const std::string& json);
  // The remote service pushed a message; its task is run at once.
  void Drov(const std::string& className, const std::string& bodyJson);

  // Events under their own names (the copies under "OnJsonApiEvent" left out).
  std::vector<PublishedEvent> Published() const;
  // The data of the latest event for `uri`; empty when there was none.
  BindingValue Latest(std::string_view uri) const;
  std::vector<std::string> LogTexts() const;
  bool Logged(std::string_view text) const;

  // The pauses the game-data task took between retries; `onPause` runs in
  // each one.
  std::vector<std::chrono::seconds> pauses;
  std::function<void()> onPause;

  FakeCore core;
  std::unique_ptr<champions::ChampionPlugin> plugin;

 private:
  void Reply(const RequestCall& call);

  struct Scripted {
    ScriptedReply reply;
    bool used;
  };

  mutable std::mutex mutex_;
  std::map<std::string, std::deque<Scripted>, std::less<>> replies_;
  std::vector<SentRequest> requests_;
  std::vector<PublishedEvent> published_;
  std::vector<bool> ran_;  // per entry of core.scheduled()
};

BindingValue Json(const std::string& text);
std::string ToJson(const BindingValue& value);

}  // namespace kel::testing
