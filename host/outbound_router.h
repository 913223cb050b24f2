// SendRequest: the plug-in's requests to the other plug-ins, answered by
// the played ones: game data, the login plug-in's resources and invoke
// relay, summoner, loyalty, platform configuration, pre-shutdown, player
// notifications and telemetry.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "api/request_abi.h"
#include "host/faults.h"
#include "host/game_data_source.h"
#include "host/inventory_service.h"
#include "host/played_resources.h"

namespace kel::host {

// Bodies longer than this are sent as streams.
inline constexpr std::size_t kStreamAbove = 8 * 1024;

// What the player-notification and telemetry plug-ins were sent, in order.
class PostedRecords {
 public:
  void Add(std::string json);
  std::string List() const;  // a JSON array of the records
  std::size_t Count() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> records_;
};

struct OutboundPeers {
  GameDataSource& game_data;
  PlayedResources& resources;
  InventoryService& inventory;
  Faults& faults;
  PostedRecords& notifications;
  PostedRecords& telemetry;
};

class OutboundRouter {
 public:
  explicit OutboundRouter(OutboundPeers peers) : peers_(peers) {}

  // Fills `response` (zeroed by the caller) before returning; the plug-in
  // frees it through its release function.
  void Answer(const RequestRecord& request, ResponseRecord& response);
  uint64_t Requests() const { return requests_.load(); }

 private:
  void AnswerGameData(std::string_view name, ResponseRecord& response);
  void AnswerInvoke(const RequestRecord& request, ResponseRecord& response);
  void AnswerPost(std::string_view path, const RequestRecord& request, ResponseRecord& response);
  void AnswerResource(const std::string& uri, ResponseRecord& response);
  uint64_t LoggedInSummoner() const;

  OutboundPeers peers_;
  std::atomic<uint64_t> requests_{0};
};

}  // namespace kel::host
