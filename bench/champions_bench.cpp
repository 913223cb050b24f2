// The champion inventory at the real client's scale (about 170 champions,
// 1,700 skins and 3,000 chromas from the generated world): route 1 through
// the invoke entry against RapidJSON's Writer on the same native records, a
// full refresh, route 4, and the plug-in's bytes in use for the inventory
// against the same data as compact JSON.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "api/api_description_abi.h"
#include "binding/binding_registry.h"
#include "champion_json_anchor.h"
#include "champions/champion_plugin.h"
#include "datagen/generated_world.h"
#ifdef KEL_BENCH_HOST
#include "host/plugin_invoke.h"
#endif
#include "platform/clock.h"
#include "ratio_reporter.h"
#include "runtime/host_abi.h"
#include "serialization/json_reader.h"

namespace kel::bench {
namespace {

using namespace champions;

constexpr std::uint64_t kSummoner = 90210;

void Require(bool condition, const std::string& what) {
  if (!condition) {
    std::fprintf(stderr, "benchmark setup failed: %s\n", what.c_str());
    std::abort();
  }
}

// A core that takes every call and does nothing, so that publishing runs
// its whole path up to the core.
HostTable QuietCoreTable() {
  HostTable table{};
  table.send_request = [](HostTable*, ResponseRecord*, const RequestRecord*) {};
  table.reserved = [](HostTable*, uintptr_t, uintptr_t) {};
  table.publish_event = [](HostTable*, const OutgoingEventRecord*) {};
  table.subscribe_event = [](HostTable*, const char*, uint32_t, EventCallbackFn, void*, uint32_t) {};
  table.unsubscribe_event = [](HostTable*, const char*, uint32_t) {};
  table.schedule_callback = [](HostTable*, const char*, TaskCallbackFn, void*, double, uint32_t) {};
  table.pump_host = [](HostTable*) {};
  table.begin_wait = [](HostTable*, const char*, uint32_t) {};
  table.end_wait = [](HostTable*) {};
  table.write_log = [](HostTable*, uint32_t, const char*) {};
  return table;
}

template <typename T>
T Parse(const BindingRegistry& registry, const std::string& json, const char* what) {
  const BindingResult parsed = ParseJson(json.c_str());
  Require(parsed.Ok(), what);
  T record{};
  BindingResult assigned;
  registry.Assign(assigned, record, parsed.Value(), "<result>");
  Require(assigned.Ok(), std::string(what) + ": " + std::string(assigned.Message()));
  return record;
}

// The plug-in, entered and started against the quiet core; Load merges the
// whole generated world and publishes it for kSummoner.
class LoadedPlugin {
 public:
  LoadedPlugin() : table_(QuietCoreTable()), services_{&table_, 7} {
    plugin_ = new ChampionPlugin();
    plugin_->Enter(record_, "kel-champions");
    Require(record_.callbacks->initialize(record_.context, &services_) != 0, "initialize");
  }
  ~LoadedPlugin() { record_.callbacks->shutdown(record_.context); }

  void Load() {
    const datagen::GeneratedWorld world(2024);
    const BindingRegistry& registry = plugin_->registry();
    std::vector<GameDataChampion> gameData;
    for (const datagen::GameChampion& champion : world.Champions()) {
      gameData.push_back(Parse<GameDataChampion>(registry, world.ChampionJson(champion.id), "game data"));
    }
    const std::uint64_t now = platform::WallClockMilliseconds();
    const BindingResult reply = ParseJson(world.OwnershipReplyJson(kSummoner, now).c_str());
    Require(reply.Ok(), "ownership reply");
    std::vector<CollectionsDrovChampionDTO> ownership;
    BindingResult assigned;
    registry.Assign(assigned, ownership, reply.Value().Find("body"), "<result>");
    Require(assigned.Ok(), "ownership records");

    InventoryStore::Access access = plugin_->Inventory().Lock();
    for (GameDataChampion& champion : gameData) access.Inventory().ApplyGameData(std::move(champion));
    access.Inventory().ApplyOwnership(ownership, now);
    access.Session().loggedIn = true;
    access.Session().summonerId = kSummoner;
    access.Session().postLoginTimeoutExpired = true;
    access.FullRefresh();
  }

  const FunctionDescriptor& Function(std::size_t index) const {
    Require(index < record_.api_description->function_count, "route index");
    return record_.api_description->functions[index];
  }
  ChampionPlugin& Plugin() { return *plugin_; }
  const PluginHostRecord& Record() const { return record_; }

 private:
  HostTable table_;
  HostServices services_;
  PluginHostRecord record_{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
  ChampionPlugin* plugin_ = nullptr;
};

LoadedPlugin& Loaded() {
  static LoadedPlugin* loaded = [] {
    auto* plugin = new LoadedPlugin();
    plugin->Load();
    return plugin;
  }();
  return *loaded;
}

// From request record to released response, as the core drives it.
void InvokeRoute(benchmark::State& state, std::size_t index, const std::string& path) {
  const FunctionDescriptor& function = Loaded().Function(index);
  RequestRecord request = {};
  request.method = 2;
  request.path = path.c_str();
  request.invoke_context = function.description.invoke_context;
  for (auto _ : state) {
    ResponseRecord response;
    std::memset(&response, 0, sizeof response);
    function.invoke(&response, &request);
    Require(response.has_error == 0, "route answered an error");
    response.release(&response);
  }
}

const std::string kRoot = "/kel-champions/v1/inventories/" + std::to_string(kSummoner);

void Route1Champions(benchmark::State& state) { InvokeRoute(state, 0, kRoot + "/champions"); }
void Route4PlayableCount(benchmark::State& state) { InvokeRoute(state, 3, kRoot + "/champions-playable-count"); }

#ifdef KEL_BENCH_HOST
// The development host's whole answer to route 1: the request record built,
// the invoke, the response's HostValue written as JSON text, the release.
void HostRoute1Champions(benchmark::State& state) {
  const FunctionDescriptor& descriptor = Loaded().Function(0);
  host::ApiFunction function;
  function.invoke = descriptor.invoke;
  function.invoke_context = descriptor.description.invoke_context;
  host::InboundRequest request;
  request.path = kRoot + "/champions";
  for (auto _ : state) {
    host::InvokeAnswer answer = host::InvokeFunction(function, request, 1);
    Require(answer.status == 200, "the host's route 1 answered an error");
    benchmark::DoNotOptimize(answer.json);
  }
}

#endif

void Route1AnchorRapidJsonWriter(benchmark::State& state) {
  const std::vector<CollectionsChampion> champions = Loaded().Plugin().Inventory().Lock().Inventory().champions;
  for (auto _ : state) {
    std::string json = WriteChampionsJson(champions);
    benchmark::DoNotOptimize(json);
  }
}

void FullRefresh(benchmark::State& state) {
  for (auto _ : state) Loaded().Plugin().Inventory().Lock().FullRefresh();
}

std::uint64_t BytesInUse(const PluginHostRecord& record) {
  MemoryStats stats{};
  record.callbacks->get_memory_stats(record.context, &stats);
  std::uint64_t words[6];
  std::memcpy(words, &stats, sizeof words);
  return words[2] - words[4];  // total bytes allocated minus total bytes freed
}

// The inventory's heap bytes, counted by the plug-in's allocator, against
// its champion list written as compact JSON.
void ReportMemory() {
  LoadedPlugin second;
  const std::uint64_t before = BytesInUse(second.Record());
  second.Load();
  const std::uint64_t after = BytesInUse(second.Record());
  const std::string json = WriteChampionsJson(second.Plugin().Inventory().Lock().Inventory().champions);
  const double inUse = static_cast<double>(after - before);
  std::printf("\ninventory bytes in use (GetMemoryStats): %.0f\n", inUse);
  std::printf("same data as compact JSON:               %zu\n", json.size());
  std::printf("ratio (bytes in use / JSON bytes):       %.2fx\n", inUse / static_cast<double>(json.size()));
}

}  // namespace
}  // namespace kel::bench

int main(int argc, char** argv) {
  using namespace kel::bench;
  benchmark::Initialize(&argc, argv);
  Loaded();
  benchmark::RegisterBenchmark("champions/route1_invoke", Route1Champions)->Unit(benchmark::kMillisecond);
#ifdef KEL_BENCH_HOST
  benchmark::RegisterBenchmark("champions/host_route1_answer", HostRoute1Champions)->Unit(benchmark::kMillisecond);
#endif
  benchmark::RegisterBenchmark("champions/route1_anchor_rapidjson_writer", Route1AnchorRapidJsonWriter)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("champions/full_refresh", FullRefresh)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("champions/route4_invoke", Route4PlayableCount)->Unit(benchmark::kMicrosecond);
  RatioReporter reporter({{"route 1 vs RapidJSON Writer", "champions/route1_invoke",
                           "champions/route1_anchor_rapidjson_writer", 3.0},
#ifdef KEL_BENCH_HOST
                          {"host route 1 vs plug-in route 1", "champions/host_route1_answer",
                           "champions/route1_invoke", 1.5},
#endif
                         });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  ReportMemory();
  benchmark::Shutdown();
  return 0;
}
