#include "host/scenario.h"

#include "host/value_json.h"
#include "host/core_event_names.h"

namespace kel::host {

Scenario::Scenario(PlayedResources& resources, EventBus& bus, const datagen::GeneratedWorld& world)
    : resources_(resources), bus_(bus), world_(world) {}

void Scenario::PublishConfiguration() {
  for (const datagen::ResourceText& resource : world_.ConfigurationResources()) {
    if (std::optional<BindingValue> value = ParseJsonText(resource.json)) resources_.Set(resource.uri, *value);
  }
}

BindingValue Scenario::Session(uint64_t summoner_id, uint64_t account_id, bool connected) const {
  BindingValue session;
  session.Member("state").SetString("SUCCEEDED");
  session.Member("summonerId").SetUnsigned(summoner_id);
  session.Member("accountId").SetUnsigned(account_id);
  session.Member("connected").SetBool(connected);
  return session;
}

void Scenario::Login(uint64_t summoner_id, uint64_t account_id, uint32_t summoner_level) {
  std::lock_guard lock(mutex_);
  if (summoner_id_ != 0 && summoner_id_ != summoner_id) {
    resources_.Remove(kSessionUri);
    resources_.Remove(kSummonerUri);
  }
  summoner_id_ = summoner_id;
  account_id_ = account_id;
  BindingValue summoner;
  summoner.Member("summonerId").SetUnsigned(summoner_id);
  summoner.Member("accountId").SetUnsigned(account_id);
  summoner.Member("summonerLevel").SetUnsigned(summoner_level);
  resources_.Set(kSummonerUri, summoner);
  resources_.Set(kSessionUri, Session(summoner_id, account_id, true));
  PushDynamicConfiguration();
}

bool Scenario::Logout() {
  std::lock_guard lock(mutex_);
  if (summoner_id_ == 0) return false;
  summoner_id_ = 0;
  account_id_ = 0;
  resources_.Remove(kSessionUri);
  resources_.Remove(kSummonerUri);
  return true;
}

bool Scenario::Reconnect() {
  std::lock_guard lock(mutex_);
  if (summoner_id_ == 0) return false;
  resources_.Set(kSessionUri, Session(summoner_id_, account_id_, false));
  resources_.Set(kSessionUri, Session(summoner_id_, account_id_, true));
  return true;
}

void Scenario::PushRemoteMessage(const std::string& class_name, const BindingValue& body) {
  BindingValue message;
  message.Member("clientId").SetString("kel-host");
  message.Member("subtopic").SetString("");
  message.Member("typeName").SetString(class_name);
  message.Member("body") = body;
  bus_.Deliver(RemoteMessageEventName(class_name), message).wait();
}

void Scenario::PushDynamicConfiguration(const BindingValue* body) {
  std::optional<BindingValue> message = ParseJsonText(world_.DynamicConfigurationEventJson());
  if (!message) return;
  const std::string class_name(message->Find("typeName").GetString());
  PushRemoteMessage(class_name, body != nullptr ? *body : message->Find("body"));
}

void Scenario::BeginShutdown() {
  BindingValue signal;
  signal.MakeStructure();
  resources_.Set(kPreShutdownUri, signal, /*here=*/true);
}

uint64_t Scenario::LoggedInSummoner() const {
  std::lock_guard lock(mutex_);
  return summoner_id_;
}

}  // namespace kel::host
