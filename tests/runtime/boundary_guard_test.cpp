// Every entry from the core survives a throw from what it runs: the throw
// is logged, the entry returns its fallback and nothing leaks.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "support/dirty_host_record.h"
#include "api/typed_handler.h"
#include "diagnostics/log.h"
#include "runtime/event_names.h"
#include "runtime/plugin_entry.h"
#include "support/core_events.h"
#include "support/fake_core.h"
#include "support/invoke_call.h"
#include "support/recording_log_target.h"

namespace kel {
namespace {

enum class ThrowIn { kNothing, kRegisterRoutes, kOnInitialized, kStop };
ThrowIn g_throw_in = ThrowIn::kNothing;
int g_alive = 0;

class ThrowingPlugin : public AppModule {
 public:
  ThrowingPlugin() { ++g_alive; }
  ~ThrowingPlugin() override { --g_alive; }
  void RegisterRoutes() override {
    if (g_throw_in == ThrowIn::kRegisterRoutes) throw std::runtime_error("no routes");
    RegisterRoute<int32_t, int32_t>(
        functions(), {RequestMethod::kGet, "/boom/{id}"}, {{{"id", ParameterLocation::kPath}}},
        [](int32_t) -> MaybeType<Failure, int32_t> { throw std::runtime_error("handler threw"); });
  }
  bool OnInitialized() override {
    if (g_throw_in == ThrowIn::kOnInitialized) throw 7;
    return true;
  }
  void Stop() override {
    AppModule::Stop();
    if (g_throw_in == ThrowIn::kStop) throw std::runtime_error("stop threw");
  }
};

class BoundaryGuard : public ::testing::Test {
 protected:
  BoundaryGuard() { log::Acquire(); }
  ~BoundaryGuard() override {
    g_throw_in = ThrowIn::kNothing;
    log::Release();
  }
  PluginHostRecord Enter(ThrowIn throw_in) {
    g_throw_in = throw_in;
    PluginHostRecord record = testing::DirtyHostRecord(18, 0, 0);
    EnterPlugin<ThrowingPlugin>(&record, "kel-champions");
    return record;
  }

  testing::RecordingLogTarget log_;
  testing::FakeCore core_;
};

TEST_F(BoundaryGuard, AThrowingEntryLeavesTheRecordUntouchedAndFreesTheObject) {
  const PluginHostRecord before = testing::DirtyHostRecord(18, 0, 0);
  const PluginHostRecord record = Enter(ThrowIn::kRegisterRoutes);
  EXPECT_EQ(std::tuple(std::memcmp(&record, &before, sizeof record), g_alive,
                       log_.Has("Loading the plug-in failed: no routes")),
            std::tuple(0, 0, true));
}

TEST_F(BoundaryGuard, InitializeFailsAndShutdownStillFreesTheObject) {
  PluginHostRecord record = Enter(ThrowIn::kOnInitialized);
  EXPECT_EQ(record.callbacks->initialize(record.context, &core_.services()), 0);
  EXPECT_TRUE(log_.Has("Initialize failed: Unhandled exception"));
  g_throw_in = ThrowIn::kStop;
  record.callbacks->shutdown(record.context);
  EXPECT_EQ(std::tuple(g_alive, log_.Has("Shutdown failed: stop threw")), std::tuple(0, true));
}

TEST_F(BoundaryGuard, InvokeEventAndTaskSurviveTheirHandlers) {
  PluginHostRecord record = Enter(ThrowIn::kNothing);
  ASSERT_EQ(record.callbacks->initialize(record.context, &core_.services()), 1);
  auto& plugin = *static_cast<ThrowingPlugin*>(record.context);

  const testing::TestAnswer answer = testing::CallFunction(*record.api_description, "GetBoomById", "/boom/1");
  EXPECT_EQ(std::tuple(answer.status, answer.error), std::tuple(kStatusInternalError, "handler threw"));
  EXPECT_TRUE(log_.Has("Invoke /boom/1 failed: handler threw"));

  plugin.AddResourceListener("/x", [](const PluginResourceEvent&) { throw std::runtime_error("listener threw"); });
  const std::string event_name = ResourceEventName("/x");
  ASSERT_TRUE(testing::DeliverEvent(core_, event_name,
                                    testing::ResourceEventPayload("/x", PluginResourceEventType::Update, {})));
  EXPECT_TRUE(log_.Has("Handler of event " + event_name + " failed: listener threw"));

  plugin.ScheduleTask(
      "task", [] { throw 1; }, 0);
  EXPECT_EQ(testing::TaskRunner(core_).RunPending(), 1u);
  EXPECT_TRUE(log_.Has("Scheduled task failed: Unhandled exception"));

  record.callbacks->shutdown(record.context);
  EXPECT_EQ(g_alive, 0);
}

}  // namespace
}  // namespace kel
