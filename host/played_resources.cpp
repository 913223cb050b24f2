#include "host/played_resources.h"

#include "host/core_event_names.h"

namespace kel::host {

PlayedResources::PlayedResources(EventBus& bus) : bus_(bus) {}

std::optional<Json> PlayedResources::Get(const std::string& uri) const {
  std::lock_guard lock(mutex_);
  const auto found = values_.find(uri);
  if (found == values_.end()) return std::nullopt;
  return CopyJson(found->second);
}

void PlayedResources::Set(const std::string& uri, const JsonValue& value, bool here) {
  bool existed = false;
  {
    std::lock_guard lock(mutex_);
    auto [position, inserted] = values_.try_emplace(uri);
    existed = !inserted;
    position->second.CopyFrom(value, position->second.GetAllocator());
  }
  Announce(uri, existed ? ResourceChange::kUpdate : ResourceChange::kCreate, value, here);
}

bool PlayedResources::Remove(const std::string& uri) {
  {
    std::lock_guard lock(mutex_);
    if (values_.erase(uri) == 0) return false;
  }
  Announce(uri, ResourceChange::kDelete, JsonValue());
  return true;
}

std::vector<std::string> PlayedResources::Uris() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> uris;
  for (const auto& [uri, value] : values_) uris.push_back(uri);
  return uris;
}

Json PlayedResources::EventPayload(const std::string& uri, ResourceChange change, const JsonValue& data) {
  static constexpr const char* kNames[] = {"Create", "Update", "Delete"};
  Json payload;
  auto& allocator = payload.GetAllocator();
  payload.SetObject();
  payload.AddMember("uri", JsonValue(uri.c_str(), static_cast<rapidjson::SizeType>(uri.size()), allocator), allocator);
  payload.AddMember("eventType", JsonValue(rapidjson::StringRef(kNames[static_cast<int>(change)])), allocator);
  payload.AddMember("data", JsonValue(data, allocator), allocator);
  return payload;
}

void PlayedResources::Announce(const std::string& uri, ResourceChange change, const JsonValue& data, bool here) {
  const Json payload = EventPayload(uri, change, data);
  const std::string specific = ResourceEventName(uri);
  const std::string general(kResourceEventName);
  std::vector<EventBus::Delivered> deliveries;
  for (const std::string* name : {&specific, &general}) {
    if (here) {
      bus_.DeliverHere(*name, payload);
    } else {
      deliveries.push_back(bus_.Deliver(*name, payload));
    }
    if (specific == general) break;
  }
  for (const EventBus::Delivered& delivered : deliveries) delivered.wait();
}

}  // namespace kel::host
