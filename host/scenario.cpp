#include "host/scenario.h"

#include "host/core_event_names.h"

namespace kel::host {

Scenario::Scenario(PlayedResources& resources, EventBus& bus, const datagen::GeneratedWorld& world)
    : resources_(resources), bus_(bus), world_(world) {}

void Scenario::PublishConfiguration() {
  for (const datagen::ResourceText& resource : world_.ConfigurationResources()) {
    const Result<Json> value = ParseJson(resource.json);
    if (value.Ok()) resources_.Set(resource.uri, value.Value());
  }
}

Json Scenario::Session(uint64_t summoner_id, uint64_t account_id, bool connected) const {
  Json session;
  auto& allocator = session.GetAllocator();
  session.SetObject();
  session.AddMember("state", "SUCCEEDED", allocator);
  session.AddMember("summonerId", summoner_id, allocator);
  session.AddMember("accountId", account_id, allocator);
  session.AddMember("connected", connected, allocator);
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
  Json summoner;
  auto& allocator = summoner.GetAllocator();
  summoner.SetObject();
  summoner.AddMember("summonerId", summoner_id, allocator);
  summoner.AddMember("accountId", account_id, allocator);
  summoner.AddMember("summonerLevel", summoner_level, allocator);
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

void Scenario::PushRemoteMessage(const std::string& class_name, const JsonValue& body) {
  Json message;
  auto& allocator = message.GetAllocator();
  message.SetObject();
  message.AddMember("clientId", "kel-host", allocator);
  message.AddMember("subtopic", "", allocator);
  message.AddMember("typeName",
                    JsonValue(class_name.c_str(), static_cast<rapidjson::SizeType>(class_name.size()), allocator),
                    allocator);
  message.AddMember("body", JsonValue(body, allocator), allocator);
  bus_.Deliver(RemoteMessageEventName(class_name), message).wait();
}

void Scenario::PushDynamicConfiguration(const JsonValue* body) {
  const Result<Json> message = ParseJson(world_.DynamicConfigurationEventJson());
  if (!message.Ok()) return;
  const std::string class_name(StringMember(message.Value(), "typeName"));
  const JsonValue* generated = FindMember(message.Value(), "body");
  const JsonValue none;
  PushRemoteMessage(class_name, body != nullptr ? *body : generated != nullptr ? *generated : none);
}

void Scenario::BeginShutdown() {
  Json signal;
  signal.SetObject();
  resources_.Set(kPreShutdownUri, signal, /*here=*/true);
}

uint64_t Scenario::LoggedInSummoner() const {
  std::lock_guard lock(mutex_);
  return summoner_id_;
}

}  // namespace kel::host
