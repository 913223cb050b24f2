#include "host/inventory_service.h"

#include <chrono>

namespace kel::host {
namespace {

bool HasSource(const JsonValue& record, std::string_view source) {
  const JsonValue* sources = FindMember(record, "sources");
  if (sources == nullptr || !sources->IsArray()) return false;
  for (const JsonValue& entry : sources->GetArray()) {
    if (entry.IsString() && std::string_view(entry.GetString(), entry.GetStringLength()) == source) return true;
  }
  return false;
}

uint64_t WallClockMilliseconds() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
          .count());
}

}  // namespace

InventoryService::InventoryService(const datagen::GeneratedWorld& world, Faults& faults)
    : world_(world), faults_(faults) {}

RemoteReply InventoryService::Invoke(const std::string& destination, const std::string& method, uint64_t summoner_id) {
  ++calls_;
  RemoteReply reply;
  if (destination != "inventoryService" || method != "getAvailableChampions") {
    reply.status = 404;
    reply.error = "No remote method " + destination + "." + method;
    return reply;
  }
  if (faults_.InventoryCalls().Take()) {
    reply.status = 503;
    reply.error = "inventoryService is unavailable (injected fault)";
    return reply;
  }
  const uint64_t now = WallClockMilliseconds();
  Result<Json> parsed = ParseJson(world_.OwnershipReplyJson(summoner_id, now));
  if (!parsed.Ok()) {
    reply.status = 500;
    reply.error = "The generated ownership reply is not JSON";
    return reply;
  }
  Json& response = parsed.Value();
  JsonValue* body = response.IsObject() && response.HasMember("body") ? &response["body"] : nullptr;
  if (legacy_end_in_ms_ && body != nullptr && body->IsArray()) {
    for (JsonValue& record : body->GetArray()) {
      if (HasSource(record, "legacy-rental") && UnsignedMember(record, "endDate") != 0 &&
          UnsignedMember(record, "purchaseDate") == 0) {
        SetMember(response, record, "endDate", JsonValue(now + *legacy_end_in_ms_));
      }
    }
  }
  reply.ok = true;
  reply.response = std::move(response);
  return reply;
}

}  // namespace kel::host
