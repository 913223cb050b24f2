#include "host/host_core.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>

namespace kel::host {
namespace {

// The plug-in handle this core gives its one plug-in.
constexpr uint32_t kPluginHandle = 1;
// Labels are counted by name; a plug-in that invents endless names stops
// adding new ones here.
constexpr std::size_t kMaxLabels = 256;
// Longest delay honoured; a longer one (or a broken value) is cut to this.
constexpr double kMaxDelaySeconds = 7.0 * 24 * 3600;

std::string ModuleBesideExecutable() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return (error ? std::filesystem::path(".") : self.parent_path()) / "zbt-be-kel-champions.so";
}

std::unique_ptr<GameDataSource> MakeGameData(const HostOptions& options, const datagen::GeneratedWorld& world) {
  if (!options.data_dir.empty()) return std::make_unique<GameDataSource>(std::filesystem::path(options.data_dir));
  return std::make_unique<GameDataSource>(world);
}

}  // namespace

HostCore::HostCore(const HostOptions& options, HostLog& log)
    : options_(options),
      log_(log),
      world_(options.seed),
      game_data_(MakeGameData(options, world_)),
      pool_(std::max<uint32_t>(options.threads, 4)),
      timers_(pool_),
      bus_(pool_, hub_),
      resources_(bus_),
      inventory_(world_, faults_),
      router_(OutboundPeers{*game_data_, resources_, inventory_, faults_, notifications_, telemetry_}),
      scenario_(resources_, bus_, world_) {
  faults_.ChampionSummary().Set(options.fail_champion_summary);
  faults_.InventoryCalls().Set(options.fail_inventory);
  faults_.SetDelayMs(options.delay_ms);
  for (const std::string& fault : options.fail_champions) {
    const Result<ChampionFault> parsed = ParseChampionFault(fault);
    if (parsed.Ok()) faults_.SetChampionFailures(parsed.Value().champion_id, parsed.Value().count);
  }
  inventory_.SetLegacyRentalsEndInMs(options.legacy_rentals_end_in_ms);
  table_.table = HostTable{&HostCore::SendRequest,    &HostCore::Reserved,         &HostCore::PublishEvent,
                           &HostCore::SubscribeEvent, &HostCore::UnsubscribeEvent, &HostCore::ScheduleCallback,
                           &HostCore::PumpHost,       &HostCore::BeginWait,        &HostCore::EndWait,
                           &HostCore::WriteLog};
  table_.core = this;
  services_.host_table = &table_.table;
  services_.plugin_handle = kPluginHandle;
}

HostCore::~HostCore() { Close(); }

Outcome HostCore::Start() {
  if (!options_.data_dir.empty() &&
      !std::filesystem::exists(std::filesystem::path(options_.data_dir) / "champion-summary.json")) {
    return Failure{"no champion-summary.json in " + options_.data_dir + " (kel-host write-data DIR writes one)"};
  }
  // The other plug-ins are up before this one: its first reads find them.
  scenario_.PublishConfiguration();
  const std::string path = options_.module_path.empty() ? ModuleBesideExecutable() : options_.module_path;
  Result<std::unique_ptr<LoadedModule>> loaded = LoadedModule::Load(path);
  if (!loaded.Ok()) return Failure{loaded.Message()};
  module_ = std::move(loaded.Value());
  catalog_ = std::make_unique<ApiCatalog>(module_->Description());
  if (!module_->Initialize(&services_)) return Failure{"the plug-in's Initialize reported failure"};
  return Done{};
}

void HostCore::SignalPreShutdown() {
  faults_.EndDelays();
  if (module_ && !closing_.load()) scenario_.BeginShutdown();
}

void HostCore::StopWork() {
  if (closing_.exchange(true)) return;
  hub_.Close();
  timers_.Close();
  pool_.Close();
}

void HostCore::Close() {
  StopWork();
  if (module_) {
    module_->Shutdown();
    module_.reset();
  }
}

InvokeAnswer HostCore::Invoke(const ApiFunction& function, InboundRequest request) {
  ++inbound_requests_;
  auto answer = std::make_shared<std::promise<InvokeAnswer>>();
  std::future<InvokeAnswer> ready = answer->get_future();
  const uint32_t token = next_token_++;
  Job job;
  job.kind = JobKind::kRequest;
  job.run = [&function, request = std::move(request), answer, token] {
    answer->set_value(InvokeFunction(function, request, token));
  };
  job.discard = [answer] { answer->set_value(ErrorAnswer(503, "The host is shutting down.")); };
  pool_.Submit(std::move(job));
  return ready.get();
}

HostCore& HostCore::From(HostTable* table) { return *reinterpret_cast<CoreHostTable*>(table)->core; }

void HostCore::SendRequest(HostTable* t, ResponseRecord* response, const RequestRecord* request) {
  if (response == nullptr || request == nullptr) return;
  From(t).router_.Answer(*request, *response);
}

void HostCore::Reserved(HostTable*, uintptr_t, uintptr_t) {}

void HostCore::PublishEvent(HostTable* t, const OutgoingEventRecord* event) {
  if (event != nullptr) From(t).bus_.Publish(*event);
}

void HostCore::SubscribeEvent(HostTable* t, const char* name, uint32_t plugin_handle, EventCallbackFn callback,
                              void* context, uint32_t flag) {
  if (name != nullptr) From(t).bus_.Subscribe(name, plugin_handle, callback, context, flag);
}

void HostCore::UnsubscribeEvent(HostTable* t, const char* name, uint32_t plugin_handle) {
  if (name != nullptr) From(t).bus_.Unsubscribe(name, plugin_handle);
}

void HostCore::ScheduleCallback(HostTable* t, const char* label, TaskCallbackFn callback, void* context,
                                double delay_seconds, uint32_t) {
  HostCore& core = From(t);
  if (callback == nullptr) return;
  ++core.tasks_scheduled_;
  core.CountLabel(core.task_labels_, label);
  // NaN and negative delays run at once; absurd ones wait the longest.
  const double seconds = delay_seconds > 0 ? std::min(delay_seconds, kMaxDelaySeconds) : 0.0;
  Job job;
  job.kind = JobKind::kTask;
  job.run = [&core, callback, context] {
    ++core.tasks_run_;
    callback(context);
  };
  job.discard = [&core] { ++core.tasks_discarded_; };
  core.timers_.Schedule(std::chrono::duration_cast<TimerQueue::Clock::duration>(std::chrono::duration<double>(seconds)),
                        std::move(job));
}

void HostCore::PumpHost(HostTable* t) {
  HostCore& core = From(t);
  ++core.pumps_;
  core.pool_.RunOnePendingHere();
}

void HostCore::BeginWait(HostTable* t, const char* label, uint32_t) {
  HostCore& core = From(t);
  ++core.waits_begun_;
  core.CountLabel(core.wait_labels_, label);
  const int64_t now_waiting = ++core.waiting_;
  int64_t most = core.most_waiting_.load();
  while (now_waiting > most && !core.most_waiting_.compare_exchange_weak(most, now_waiting)) {
  }
}

void HostCore::EndWait(HostTable* t) {
  HostCore& core = From(t);
  ++core.waits_ended_;
  --core.waiting_;
}

void HostCore::WriteLog(HostTable* t, uint32_t level, const char* text) {
  HostCore& core = From(t);
  ++core.log_lines_;
  core.log_.Write(level, text != nullptr ? text : "");
}

void HostCore::CountLabel(std::map<std::string, uint64_t>& counts, const char* label) {
  const std::string name = label != nullptr ? label : "";
  std::lock_guard lock(counters_mutex_);
  const auto found = counts.find(name);
  if (found != counts.end()) {
    ++found->second;
  } else if (counts.size() < kMaxLabels) {
    counts.emplace(name, 1);
  }
}

std::string HostCore::Counters() const {
  const PoolCounters pool = pool_.Counters();
  const auto count = [](JsonWriter& out, const char* key, uint64_t value) {
    out.Key(key);
    out.Uint64(value);
  };
  const auto labels = [](JsonWriter& out, const std::map<std::string, uint64_t>& counts) {
    if (counts.empty()) return;
    out.Key("labels");
    out.StartObject();
    for (const auto& [label, n] : counts) {
      WriteText(out, label);
      out.Uint64(n);
    }
    out.EndObject();
  };
  std::map<std::string, uint64_t> wait_labels;
  std::map<std::string, uint64_t> task_labels;
  {
    std::lock_guard lock(counters_mutex_);
    wait_labels = wait_labels_;
    task_labels = task_labels_;
  }
  return WrittenJson([&](JsonWriter& out) {
    out.StartObject();
    out.Key("waits");
    out.StartObject();
    count(out, "begun", waits_begun_.load());
    count(out, "ended", waits_ended_.load());
    out.Key("waiting");
    out.Int64(waiting_.load());
    out.Key("mostAtOnce");
    out.Int64(most_waiting_.load());
    count(out, "pumps", pumps_.load());
    labels(out, wait_labels);
    out.EndObject();
    out.Key("tasks");
    out.StartObject();
    count(out, "scheduled", tasks_scheduled_.load());
    count(out, "run", tasks_run_.load());
    count(out, "discarded", tasks_discarded_.load());
    count(out, "waitingForDelay", timers_.Pending());
    labels(out, task_labels);
    out.EndObject();
    out.Key("pool");
    out.StartObject();
    count(out, "submitted", pool.submitted);
    count(out, "ran", pool.ran);
    count(out, "ranInPumps", pool.ran_pumped);
    count(out, "discarded", pool.discarded);
    count(out, "queued", pool.queued);
    count(out, "running", pool.running);
    out.EndObject();
    out.Key("events");
    out.StartObject();
    count(out, "published", bus_.PublishedCount());
    count(out, "delivered", bus_.DeliveredCount());
    out.Key("subscribed");
    out.StartArray();
    for (const std::string& name : bus_.SubscribedNames()) WriteText(out, name);
    out.EndArray();
    out.EndObject();
    out.Key("requests");
    out.StartObject();
    count(out, "inbound", inbound_requests_.load());
    count(out, "outbound", router_.Requests());
    count(out, "remoteCalls", inventory_.Calls());
    out.EndObject();
    count(out, "logLines", log_lines_.load());
    out.EndObject();
  });
}

MemoryStats HostCore::MemoryStatistics() const {
  MemoryStats stats{};
  if (module_) module_->GetMemoryStats(stats);
  return stats;
}

std::string HostCore::MemoryStatisticsJson() const {
  const MemoryStats stats = MemoryStatistics();
  return WrittenJson([&](JsonWriter& out) {
    out.StartObject();
    const std::pair<const char*, uint64_t> shown[] = {
        {"peakBytesInUse", stats.peak_bytes_in_use},
        {"allocationsAtPeak", stats.allocations_at_peak},
        {"totalBytesAllocated", stats.total_bytes_allocated},
        {"totalAllocations", stats.total_allocations},
        {"totalBytesFreed", stats.total_bytes_freed},
        {"totalFrees", stats.total_frees},
        {"bytesInUse", stats.total_bytes_allocated - stats.total_bytes_freed}};
    for (const auto& [key, value] : shown) {
      out.Key(key);
      out.Uint64(value);
    }
    out.EndObject();
  });
}

}  // namespace kel::host
