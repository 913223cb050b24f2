// The core's side of the plug-in: the module, the ten host-table functions
// and everything behind them (threads, timers, events, the played
// plug-ins), and the orderly take-down.
//
// Take-down: the pre-shutdown event is delivered (and handled) first, then
// the caller stops accepting requests, then the timers and the pool drop
// what is pending (a request waiting for its turn is answered 503) and wait
// for what runs, then the caller lets its request threads finish, then
// Shutdown, then the module is unloaded. After StopWork no trampoline,
// event callback or invoke entry runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "datagen/generated_world.h"
#include "host/api_catalog.h"
#include "host/event_bus.h"
#include "host/event_hub.h"
#include "host/faults.h"
#include "host/game_data_source.h"
#include "host/host_log.h"
#include "host/host_options.h"
#include "host/inventory_service.h"
#include "host/loaded_module.h"
#include "host/outbound_router.h"
#include "host/plugin_invoke.h"
#include "host/played_resources.h"
#include "host/scenario.h"
#include "host/timer_queue.h"
#include "host/worker_pool.h"

namespace kel::host {

class HostCore;

// The table handed to the plug-in, with the way back to its core: every
// host-table function receives the table's address first.
struct CoreHostTable {
  HostTable table;
  HostCore* core;
};

class HostCore {
 public:
  HostCore(const HostOptions& options, HostLog& log);
  ~HostCore();
  HostCore(const HostCore&) = delete;
  HostCore& operator=(const HostCore&) = delete;

  // Loads, enters and initialises the module; when that fails the host has
  // nothing to serve.
  Outcome Start();
  // The pre-shutdown signal, delivered and handled on the calling thread.
  void SignalPreShutdown();
  // Drops pending work and waits for running work; from then on nothing
  // calls into the plug-in but its memory statistics. Idempotent.
  void StopWork();
  // StopWork, then shuts the plug-in down and unloads it. Idempotent.
  void Close();

  // Runs an inbound request on the pool and waits for its answer (503 once
  // the host is closing).
  InvokeAnswer Invoke(const ApiFunction& function, InboundRequest request);

  const ApiCatalog& Catalog() const { return *catalog_; }
  const datagen::GeneratedWorld& World() const { return world_; }
  LoadedModule* Module() { return module_.get(); }
  HostLog& Log() { return log_; }
  EventHub& Hub() { return hub_; }
  EventBus& Bus() { return bus_; }
  Scenario& Play() { return scenario_; }
  PlayedResources& Resources() { return resources_; }
  Faults& InjectedFaults() { return faults_; }
  GameDataSource& GameData() { return *game_data_; }
  const PostedRecords& Notifications() const { return notifications_; }
  const PostedRecords& Telemetry() const { return telemetry_; }
  WorkerPool& Pool() { return pool_; }

  // Wait, pump, task, event and request counters as JSON text.
  std::string Counters() const;
  // The plug-in's memory statistics (zeros after Shutdown), and as JSON text.
  MemoryStats MemoryStatistics() const;
  std::string MemoryStatisticsJson() const;

 private:
  static HostCore& From(HostTable* table);
  static void SendRequest(HostTable* t, ResponseRecord* response, const RequestRecord* request);
  static void Reserved(HostTable* t, uintptr_t first, uintptr_t second);
  static void PublishEvent(HostTable* t, const OutgoingEventRecord* event);
  static void SubscribeEvent(HostTable* t, const char* name, uint32_t plugin_handle, EventCallbackFn callback,
                             void* context, uint32_t flag);
  static void UnsubscribeEvent(HostTable* t, const char* name, uint32_t plugin_handle);
  static void ScheduleCallback(HostTable* t, const char* label, TaskCallbackFn callback, void* context,
                               double delay_seconds, uint32_t reserved);
  static void PumpHost(HostTable* t);
  static void BeginWait(HostTable* t, const char* label, uint32_t reserved);
  static void EndWait(HostTable* t);
  static void WriteLog(HostTable* t, uint32_t level, const char* text);

  void CountLabel(std::map<std::string, uint64_t>& counts, const char* label);

  HostOptions options_;
  HostLog& log_;
  datagen::GeneratedWorld world_;
  std::unique_ptr<GameDataSource> game_data_;
  Faults faults_;
  PostedRecords notifications_;
  PostedRecords telemetry_;
  EventHub hub_;
  WorkerPool pool_;
  TimerQueue timers_;
  EventBus bus_;
  PlayedResources resources_;
  InventoryService inventory_;
  OutboundRouter router_;
  Scenario scenario_;
  std::unique_ptr<LoadedModule> module_;
  std::unique_ptr<ApiCatalog> catalog_;
  CoreHostTable table_{};
  HostServices services_{};
  std::atomic<bool> closing_{false};

  mutable std::mutex counters_mutex_;
  std::map<std::string, uint64_t> wait_labels_;
  std::map<std::string, uint64_t> task_labels_;
  std::atomic<uint64_t> waits_begun_{0};
  std::atomic<uint64_t> waits_ended_{0};
  std::atomic<int64_t> waiting_{0};
  std::atomic<int64_t> most_waiting_{0};
  std::atomic<uint64_t> pumps_{0};
  std::atomic<uint64_t> tasks_scheduled_{0};
  std::atomic<uint64_t> tasks_run_{0};
  std::atomic<uint64_t> tasks_discarded_{0};
  std::atomic<uint64_t> log_lines_{0};
  std::atomic<uint64_t> inbound_requests_{0};
  std::atomic<uint32_t> next_token_{1};
};

}  // namespace kel::host
