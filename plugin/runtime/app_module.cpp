#include "runtime/app_module.h"

#include <cstring>
#include <memory>

#include "diagnostics/boundary_guard.h"
#include "diagnostics/console_log_targets.h"
#include "diagnostics/fatal_assertion.h"
#include "diagnostics/log.h"
#include "runtime/allocation_hooks.h"
#include "runtime/api_version.h"
#include "api/name_rule.h"

namespace kel {

namespace {

// A throw fails the initialization (0).
uint8_t InitializeCallback(void* context, const HostServices* services) noexcept {
  return GuardEntry("Initialize", nullptr,
                    [&]() -> uint8_t { return static_cast<AppModule*>(context)->Initialize(services) ? 1 : 0; });
}

// Take-down: every core subscription ends first, then the object goes,
// derived members before AppModule's and the subscription core's. The
// object goes even when stopping throws.
void ShutdownCallback(void* context) noexcept {
  GuardEntry("Shutdown", nullptr, [&] {
    const std::unique_ptr<AppModule> plugin(static_cast<AppModule*>(context));
    plugin->Stop();
  });
}

// A throw leaves the counters zero rather than half written.
void GetMemoryStatsCallback(void*, MemoryStats* stats) noexcept {
  if (!stats) return;
  GuardEntry(
      "GetMemoryStats", nullptr, [&] { memory::ReadMemoryStats(*stats); },
      [&](const char*) { std::memset(static_cast<void*>(stats), 0, sizeof(MemoryStats)); });
}

}  // namespace

AppModule::LogReference::LogReference() { log::Acquire(); }
AppModule::LogReference::~LogReference() { log::Release(); }

AppModule::AppModule() : callbacks_{&InitializeCallback, &ShutdownCallback, &GetMemoryStatsCallback} {}

AppModule::~AppModule() = default;

void AppModule::Enter(PluginHostRecord& record, std::string_view short_name) {
  const PluginApiVersion core{record.api_major, record.api_minor, record.api_patch};
  if (!IsCompatibleApiVersion(core, kPluginApiVersion)) {
    log::FatalAssertion("ALE-EECF0606", nullptr, nullptr, 0, nullptr);
  }
  core_api_version_ = core;
  names_ = GetFullNameFromShortNameAndType(short_name, kBackendPluginType);
  log_group_path_ = {"Plugins", "Plugin " + names_.short_name};
  camel_case_name_ = ApplyNameRule("", names_.short_name);
  RegisterRuntimeTypes(registry_);
  RegisterRoutes();
  const ApiDescription* api_description = BuildApiDescription();
  MarkLoaded();

  record.api_major = kPluginApiVersion.major;
  record.api_minor = kPluginApiVersion.minor;
  record.api_patch = kPluginApiVersion.patch;
  record.callbacks = &callbacks_;
  record.context = this;
  record.short_name = names_.short_name.c_str();
  record.api_description = api_description;
}

bool AppModule::Initialize(const HostServices* services) {
  if (!services || !services->host_table) {
    log::Write(log::kError, log::kGroupDbg, "Initialize called without the core's services");
    return false;
  }
  host_services_ = services;
  if (!log::FindTarget("PluginLogTarget")) {
    log::StdErrTarget().Detach();
    log::StdOutTarget().Detach();
    log::DebuggerTarget().Detach();
    log::SetThreshold(log::kOkay);
    log::SetExcludedGroups(log::kGroupXtr);
    log_target_ = std::make_unique<PluginLogTarget>(services->host_table);
    log_target_->SetThreshold(log::Threshold());
    log_target_->Attach();
  }
  StartSubscriptions(services->plugin_handle, names_.short_name);
  return OnInitialized();
}

void AppModule::RegisterRoutes() {}

bool AppModule::OnInitialized() { return true; }

HostTable* AppModule::HostTableFor(const char* function) const {
  if (host_services_ && host_services_->host_table) return host_services_->host_table;
  log::Write(log::kError, log::kGroupDbg, "%s called before Initialize", function);
  return nullptr;
}

void AppModule::SendRequest(ResponseRecord* response, const RequestRecord* request) {
  if (HostTable* t = HostTableFor("SendRequest")) t->send_request(t, response, request);
}

void AppModule::CallReservedHostFunction(uintptr_t first, uintptr_t second) {
  if (HostTable* t = HostTableFor("CallReservedHostFunction")) t->reserved(t, first, second);
}

void AppModule::PublishEvent(const OutgoingEventRecord* event) {
  if (HostTable* t = HostTableFor("PublishEvent")) t->publish_event(t, event);
}

void AppModule::SubscribeEvent(const char* name, uint32_t plugin_handle, EventCallbackFn callback, void* context,
                               uint32_t flag) {
  if (HostTable* t = HostTableFor("SubscribeEvent")) {
    t->subscribe_event(t, name, plugin_handle, callback, context, flag);
  }
}

void AppModule::UnsubscribeEvent(const char* name, uint32_t plugin_handle) {
  if (HostTable* t = HostTableFor("UnsubscribeEvent")) t->unsubscribe_event(t, name, plugin_handle);
}

void AppModule::ScheduleCallback(const char* label, TaskCallbackFn callback, void* context, double delay_seconds,
                                 uint32_t reserved) {
  if (HostTable* t = HostTableFor("ScheduleCallback")) {
    t->schedule_callback(t, label, callback, context, delay_seconds, reserved);
  }
}

void AppModule::PumpHost() {
  if (HostTable* t = HostTableFor("PumpHost")) t->pump_host(t);
}

void AppModule::BeginWait(const std::string& label, uint32_t reserved) {
  if (HostTable* t = HostTableFor("BeginWait")) t->begin_wait(t, label.c_str(), reserved);
}

void AppModule::EndWait() {
  if (HostTable* t = HostTableFor("EndWait")) t->end_wait(t);
}

// Entry step 10: the function list handed to the core.
const ApiDescription* AppModule::BuildApiDescription() {
  api_description_.Build(functions_);
  return &api_description_.Description();
}

}  // namespace kel
