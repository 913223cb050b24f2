#include "champions/game_data_loader.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "api/outbound_request.h"
#include "champions/game_data_records.h"
#include "champions/inventory_store.h"
#include "diagnostics/log.h"
#include "platform/clock.h"
#include "runtime/subscription_core.h"

namespace kel::champions {
namespace {

constexpr const char* kTaskName = "zbt-be-kel-champions:FetchChampionGameData";
constexpr std::uint64_t kTaskDelayNs = 10'000'000;
constexpr const char* kSummaryUrl = "/kel-game-data/assets/v1/champion-summary.json";
constexpr const char* kSummaryFailedEvent = "zbt_fe_kel_champions_failedLoadingGameData";
constexpr const char* kChampionFailedEvent = "zbt_fe_kel_champions_failedLoadingGameDataChampion";

std::string ChampionUrl(std::int32_t id) {
  return "/kel-game-data/assets/v1/champions/" + std::to_string(id) + ".json";
}

}  // namespace

std::chrono::seconds RetryPauseAfter(std::uint32_t retries) {
  return std::chrono::seconds(std::min<std::uint32_t>(retries, 6) * 10);
}

void WaitForShutdownSignal(ShutdownSignal& signal, std::chrono::seconds duration) { signal.WaitFor(duration); }

GameDataLoader::GameDataLoader(SubscriptionCore& plugin, InventoryStore& store, RetryPause pause)
    : plugin_(plugin), store_(store), pause_(std::move(pause)) {}

void GameDataLoader::RequestLoad() {
  {
    std::lock_guard loading(loadingMutex_);
    if (scheduled_ || loaded_) return;
    scheduled_ = true;
  }
  plugin_.ScheduleTask(
      kTaskName, [this] { Run(); }, platform::MonotonicNanoseconds() + kTaskDelayNs);
}

template <typename Fetch, typename Report>
auto GameDataLoader::FetchWithRetries(std::unique_lock<std::mutex>& loading, Fetch fetch, Report report)
    -> std::optional<std::decay_t<decltype(fetch().Value())>> {
  std::uint32_t retries = 0;
  for (;;) {
    auto fetched = fetch();
    if (!fetched.IsFailure()) return std::move(fetched).Value();
    report(fetched.GetFailure().Message(), retries);
    loading.unlock();
    pause_(shutdown_, RetryPauseAfter(retries));
    loading.lock();
    if (shutdown_.IsSet()) return std::nullopt;
    ++retries;
  }
}

void GameDataLoader::SendTelemetry(const char* eventName, std::string error, std::uint32_t retries,
                                   std::optional<std::int32_t> championId) {
  std::map<std::string, std::string> properties{{"error", std::move(error)}, {"retryCount", std::to_string(retries)}};
  if (championId) properties.emplace("champion", std::to_string(*championId));
  // The poster's future is complete on return; its outcome is not looked at.
  (void)plugin_.Telemetry().Post(eventName, properties);
}

void GameDataLoader::Run() {
  std::unique_lock loading(loadingMutex_);
  std::optional<std::vector<GameDataChampionSummary>> summary = FetchWithRetries(
      loading,
      [this] { return Fetch<std::vector<GameDataChampionSummary>>(plugin_, RequestMethod::kGet, kSummaryUrl); },
      [this](const std::string& error, std::uint32_t retries) {
        log::Write(log::kError, log::kGroupDbg, "Error requesting champion summary data: %s", error.c_str());
        SendTelemetry(kSummaryFailedEvent, error, retries, std::nullopt);
      });
  if (!summary) return;

  std::vector<GameDataChampion> champions;
  champions.reserve(summary->size());
  for (const GameDataChampionSummary& entry : *summary) {
    const std::string url = ChampionUrl(entry.id);
    std::optional<GameDataChampion> champion = FetchWithRetries(
        loading, [this, &url] { return Fetch<GameDataChampion>(plugin_, RequestMethod::kGet, url); },
        [this, &entry](const std::string& error, std::uint32_t retries) {
          log::Write(log::kError, log::kGroupDbg, "Error requesting champion data for %d: %s", entry.id, error.c_str());
          SendTelemetry(kChampionFailedEvent, error, retries, entry.id);
        });
    if (!champion) return;
    champions.push_back(std::move(*champion));
  }

  InventoryStore::Access access = store_.Lock();
  access.Inventory().ApplyGameData(std::move(champions));
  loaded_ = true;
  scheduled_ = false;
  access.FullRefresh();
}

}  // namespace kel::champions
