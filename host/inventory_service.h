// The remote inventory service behind the login plug-in's invoke relay:
// answers inventoryService.getAvailableChampions for the logged-in summoner
// from the generated world, with the injected faults.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "datagen/generated_world.h"
#include "host/faults.h"
#include "host/json.h"

namespace kel::host {

struct RemoteReply {
  bool ok = false;
  uint32_t status = 200;
  std::string error;  // when not ok
  Json response;      // {"typeName", "body"} when ok
};

class InventoryService {
 public:
  InventoryService(const datagen::GeneratedWorld& world, Faults& faults);

  // Makes every legacy rental with an end date end this long after the
  // reply, so that its expiry can be watched.
  void SetLegacyRentalsEndInMs(std::optional<uint64_t> ms) { legacy_end_in_ms_ = ms; }

  RemoteReply Invoke(const std::string& destination, const std::string& method, uint64_t summoner_id);
  uint64_t Calls() const { return calls_.load(); }

 private:
  const datagen::GeneratedWorld& world_;
  Faults& faults_;
  std::optional<uint64_t> legacy_end_in_ms_;
  std::atomic<uint64_t> calls_{0};
};

}  // namespace kel::host
