#include "host/inventory_service.h"

#include "host/value_json.h"
#include "platform/clock.h"

namespace kel::host {
namespace {

bool HasSource(const BindingValue& record, std::string_view source) {
  for (const BindingValue& entry : record.Find("sources").Elements()) {
    if (entry.GetString() == source) return true;
  }
  return false;
}

}  // namespace

InventoryService::InventoryService(const datagen::GeneratedWorld& world, Faults& faults)
    : world_(world), faults_(faults) {}

RemoteReply InventoryService::Invoke(const std::string& destination, const std::string& method,
                                     uint64_t summoner_id) {
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
  const uint64_t now = platform::WallClockMilliseconds();
  std::optional<BindingValue> parsed = ParseJsonText(world_.OwnershipReplyJson(summoner_id, now));
  if (!parsed) {
    reply.status = 500;
    reply.error = "The generated ownership reply is not JSON";
    return reply;
  }
  if (legacy_end_in_ms_) {
    for (BindingValue& record : parsed->Member("body").Elements()) {
      if (HasSource(record, "legacy-rental") && record.Find("endDate").AsUnsigned() != 0 &&
          record.Find("purchaseDate").AsUnsigned() == 0) {
        record.Member("endDate").SetUnsigned(now + *legacy_end_in_ms_);
      }
    }
  }
  reply.ok = true;
  reply.response = std::move(*parsed);
  return reply;
}

}  // namespace kel::host
