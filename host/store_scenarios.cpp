#include "host/store_scenarios.h"

#include <algorithm>

#include "datagen/ownership_json.h"
#include "host/scenario.h"

namespace kel::host {
namespace {

constexpr uint64_t kDayMs = 24ull * 60 * 60 * 1000;

// The ownership members both records lead with, for the step.
template <typename Record>
void Own(Record& record, StoreStep step, uint32_t days, uint64_t now_ms) {
  record.owned = step == StoreStep::kBuy;
  record.freeToPlayReward = false;
  record.winCountRemaining = 0;
  record.purchaseDate = step == StoreStep::kEndRental ? 0 : now_ms;
  record.endDate = step == StoreStep::kRent ? now_ms + days * kDayMs : 0;
  record.sources.clear();
  if (step == StoreStep::kBuy) record.sources.emplace_back("purchased");
  if (step == StoreStep::kRent) record.sources.emplace_back("store-rentals");
}

std::string Message(const char* inventory_type, const std::string& data) {
  return std::string(R"({"inventoryType":")") + inventory_type + R"(","data":)" + data + "}";
}

}  // namespace

StoreMessage BuildStoreMessage(const datagen::GeneratedWorld& world, uint64_t summoner_id, StoreStep step,
                               const StoreItem& item, uint64_t now_ms) {
  StoreMessage message;
  std::vector<datagen::ChampionOwnershipRecord> records = world.Ownership(summoner_id, now_ms);
  const auto champion = std::find_if(records.begin(), records.end(),
                                     [&](const auto& record) { return record.championId == item.champion_id; });
  if (champion == records.end()) {
    message.error = "Champion " + std::to_string(item.champion_id) + " is not in the generated world.";
    return message;
  }
  std::string data;
  if (!item.skin_id) {
    // The champion alone: its skins keep what the plug-in has for them.
    champion->championSkins.clear();
    Own(*champion, step, item.days, now_ms);
    data = Message("CHAMPION", datagen::ChampionDtoJson(*champion));
  } else {
    const auto skin = std::find_if(champion->championSkins.begin(), champion->championSkins.end(),
                                   [&](const auto& record) { return record.skinId == *item.skin_id; });
    if (skin == champion->championSkins.end()) {
      message.error = "Champion " + std::to_string(item.champion_id) + " has no skin or chroma " +
                      std::to_string(*item.skin_id) + ".";
      return message;
    }
    Own(*skin, step, item.days, now_ms);
    data = Message("CHAMPION_SKIN", datagen::SkinDtoJson(*skin));
  }
  message.class_name = step == StoreStep::kEndRental ? kRentalUpdateClass : kStoreFulfillmentClass;
  message.body = std::move(data);
  return message;
}

}  // namespace kel::host
