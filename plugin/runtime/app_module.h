// The base class of the plug-in object. It owns the plug-in's names, the
// core's version, the log target that forwards to the core and the
// callbacks the core calls; its forwarders turn calls into HostTable calls.
//
// Life: constructed and entered by load_kel_champions (Enter), started by
// the core (Initialize), destroyed by the core (Shutdown). No HostTable
// function may be called before Initialize.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>

#include "api/api_description_block.h"
#include "api/function_table.h"
#include "async/await.h"
#include "async/task_table.h"
#include "binding/binding_registry.h"
#include "binding/static_type_id.h"
#include "runtime/host_abi.h"
#include "runtime/plugin_log_target.h"
#include "runtime/plugin_names.h"
#include "runtime/subscription_core.h"

namespace kel {

class AppModule : public SubscriptionCore {
 public:
  AppModule();
  AppModule(const AppModule&) = delete;
  AppModule& operator=(const AppModule&) = delete;
  ~AppModule() override;

  // Forwarders to the core, in table order. Each reads the HostTable from
  // HostServices at the moment of the call. Called before Initialize, they
  // log an error and call nothing.
  void SendRequest(ResponseRecord* response, const RequestRecord* request) override;
  void CallReservedHostFunction(uintptr_t first, uintptr_t second) override;
  void PublishEvent(const OutgoingEventRecord* event) override;
  void SubscribeEvent(const char* name, uint32_t plugin_handle, EventCallbackFn callback, void* context,
                      uint32_t flag) override;
  void UnsubscribeEvent(const char* name, uint32_t plugin_handle) override;
  void ScheduleCallback(const char* label, TaskCallbackFn callback, void* context, double delay_seconds,
                        uint32_t reserved) override;
  void PumpHost() override;
  void BeginWait(const std::string& label, uint32_t reserved) override;
  void EndWait() override;

  // Registers the plug-in's routes and types during the entry, before the
  // core can be called. The base registers nothing.
  virtual void RegisterRoutes();
  // Runs at the end of Initialize; its result is Initialize's.
  virtual bool OnInitialized();

  // The entry sequence after construction: checks the core's version (a
  // fatal report and the end of the process when it does not fit), forms the
  // names, registers routes and types, and writes the record as its last act.
  void Enter(PluginHostRecord& record, std::string_view short_name);

  // Keeps `services`, switches the log over to the core, starts the
  // subscription core (handle, short name, telemetry poster, service-proxy
  // subscriptions) and calls OnInitialized. A null `services` is refused.
  bool Initialize(const HostServices* services);

  // Waits for `future`, letting the core run this plug-in's pending work on
  // this thread meanwhile (see AwaitFuture). A future without a shared state
  // ends the process with the report "ALE-6D828C10".
  template <typename T>
  T Await(std::future<T> future) {
    return AwaitFuture(*this, future, StaticTypeOf<T>().Name());
  }
  // Lets the core run pending work for this plug-in once, on this thread.
  void Yield() { YieldToHost(*this); }

  // The route and type registry, and the functions registered with it
  // (RegisterRoute in api/typed_handler.h) during RegisterRoutes.
  BindingRegistry& registry() { return registry_; }
  FunctionTable& functions() { return functions_; }

  const PluginApiVersion& core_api_version() const { return core_api_version_; }
  const PluginNames& names() const { return names_; }
  const std::string& camel_case_name() const { return camel_case_name_; }
  const std::array<std::string, 2>& log_group_path() const { return log_group_path_; }
  const PluginCallbacks& callbacks() const { return callbacks_; }

 private:
  // Holds the module's reference to the process-wide log from construction
  // to the very end of destruction.
  struct LogReference {
    LogReference();
    ~LogReference();
  };

  // The core's table, or nullptr (with an error logged) before Initialize.
  HostTable* HostTableFor(const char* function) const;

  // Entry step 10, filled in by the route layer.
  const ApiDescription* BuildApiDescription();

  LogReference log_reference_;
  PluginApiVersion core_api_version_{};
  std::unique_ptr<PluginLogTarget> log_target_;
  PluginNames names_;
  std::string camel_case_name_;
  std::array<std::string, 2> log_group_path_;
  BindingRegistry registry_;
  FunctionTable functions_{registry_};
  const HostServices* host_services_ = nullptr;
  PluginCallbacks callbacks_;
  ApiDescriptionBlock api_description_;
};

}  // namespace kel
