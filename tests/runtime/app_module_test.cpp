#include "runtime/app_module.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "diagnostics/log.h"
#include "api/name_rule.h"
#include "runtime/plugin_names.h"
#include "support/fake_core.h"
#include "support/recording_log_target.h"

namespace kel {
namespace {

using testing::FakeCore;
using testing::HostFunction;

class EnteredModule : public ::testing::Test {
 protected:
  void SetUp() override {
    record_.api_major = 18;
    record_.api_minor = 0;
    record_.api_patch = 0;
    module_.Enter(record_, "kel-champions");
  }

  PluginHostRecord record_{};
  AppModule module_;
};

// The names themselves: the name-rule tests below and the champion records'
// prefix and tags.
TEST_F(EnteredModule, FillsTheRecordWithItsNameCallbacksAndItself) {
  // Packed fields are copied out before comparison: they may be misaligned.
  const char* short_name = record_.short_name;
  const PluginCallbacks* callbacks = record_.callbacks;
  void* context = record_.context;
  EXPECT_EQ(short_name, module_.names().short_name.c_str());
  EXPECT_EQ(callbacks, &module_.callbacks());
  EXPECT_EQ(context, &module_);
}

TEST_F(EnteredModule, KeepsTheCoresVersion) {
  AppModule other;
  PluginHostRecord record{18, 4, 2};
  other.Enter(record, "kel-champions");
  const PluginApiVersion core = other.core_api_version();
  const uint32_t minor = core.minor;
  const uint32_t patch = core.patch;
  EXPECT_EQ(minor, 4u);
  EXPECT_EQ(patch, 2u);
}

TEST_F(EnteredModule, ForwardersCallTheTableInOrderWithTheirArguments) {
  FakeCore core(77);
  ASSERT_TRUE(module_.Initialize(&core.services()));
  // Initialize made the service-proxy subscriptions; only what follows counts.
  const size_t calls_at_start = core.calls().size();
  int context = 0;
  const EventCallbackFn on_event = [](const IncomingEventRecord*) {};
  const TaskCallbackFn on_task = [](void*) {};
  auto* response = reinterpret_cast<ResponseRecord*>(&context);
  auto* request = reinterpret_cast<const RequestRecord*>(&core);
  auto* event = reinterpret_cast<const OutgoingEventRecord*>(&module_);

  module_.SendRequest(response, request);
  module_.CallReservedHostFunction(5, 6);
  module_.PublishEvent(event);
  module_.SubscribeEvent("OnX", 77, on_event, &context, 1);
  module_.UnsubscribeEvent("OnX", 77);
  module_.ScheduleCallback("task", on_task, &context, 0.25, 0);
  module_.PumpHost();
  module_.BeginWait("Wait: yield", 0);
  module_.EndWait();

  const std::vector<HostFunction> expected = {
      HostFunction::kSendRequest,      HostFunction::kReserved,         HostFunction::kPublishEvent,
      HostFunction::kSubscribeEvent,   HostFunction::kUnsubscribeEvent, HostFunction::kScheduleCallback,
      HostFunction::kPumpHost,         HostFunction::kBeginWait,        HostFunction::kEndWait};
  std::vector<HostFunction> calls = core.calls();
  calls.erase(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(calls_at_start));
  std::erase(calls, HostFunction::kWriteLog);
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(core.requests()[0].response, response);
  EXPECT_EQ(core.requests()[0].request, request);
  EXPECT_EQ(core.reserved_calls()[0].second, 6u);
  EXPECT_EQ(core.published_events()[0], event);
  const testing::SubscribeCall subscription = core.subscriptions().back();
  EXPECT_EQ(subscription.name, "OnX");
  EXPECT_EQ(subscription.plugin_handle, 77u);
  EXPECT_EQ(subscription.callback, on_event);
  EXPECT_EQ(subscription.context, &context);
  EXPECT_EQ(subscription.flag, 1u);
  EXPECT_EQ(core.unsubscriptions()[0].name, "OnX");
  const testing::ScheduledCall task = core.scheduled()[0];
  EXPECT_EQ(task.label, "task");
  EXPECT_EQ(task.callback, on_task);
  EXPECT_EQ(task.delay_seconds, 0.25);
  EXPECT_EQ(core.waits()[0].label, "Wait: yield");
}

TEST_F(EnteredModule, ForwardersBeforeInitializeCallNothing) {
  testing::RecordingLogTarget log_lines;
  module_.PumpHost();
  module_.EndWait();
  EXPECT_EQ(log_lines.Messages(),
            (std::vector<std::string>{"PumpHost called before Initialize", "EndWait called before Initialize"}));
}

TEST_F(EnteredModule, ASecondModuleLeavesAnAttachedPluginLogTargetAlone) {
  FakeCore first_core;
  ASSERT_TRUE(module_.Initialize(&first_core.services()));
  log::SetThreshold(log::kError);

  AppModule second;
  PluginHostRecord record{18, 0, 0};
  second.Enter(record, "kel-champions");
  FakeCore second_core;
  ASSERT_TRUE(second.Initialize(&second_core.services()));
  EXPECT_EQ(log::Threshold(), log::kError);
  log::Write(log::kError, 0, "one line");
  EXPECT_EQ(first_core.log_lines().size(), 1u);
  EXPECT_TRUE(second_core.log_lines().empty());
}

// A pointer to a virtual member holds 1 + its byte offset in the virtual
// table (the Itanium ABI both our compilers follow); a class derived from
// AppModule relies on the documented order of these slots.
template <typename Member>
uintptr_t VirtualSlotOffset(Member member) {
  uintptr_t words[sizeof(Member) / sizeof(uintptr_t)];
  static_assert(sizeof(words) == sizeof(Member));
  std::memcpy(words, &member, sizeof(Member));
  return words[0] - 1;
}

TEST(AppModuleLayout, RoutesAndInitializationFollowTheForwardersDirectly) {
  const uintptr_t end_wait = VirtualSlotOffset(&AppModule::EndWait);
  EXPECT_EQ(VirtualSlotOffset(&AppModule::RegisterRoutes), end_wait + sizeof(void*));
  EXPECT_EQ(VirtualSlotOffset(&AppModule::OnInitialized), end_wait + 2 * sizeof(void*));
}

TEST(PluginNames, FullNameRule) {
  EXPECT_EQ(GetFullNameFromShortNameAndType("kel-champions", kBackendPluginType).full_name,
            "zbt-be-kel-champions");
  EXPECT_EQ(GetFullNameFromShortNameAndType("kel-champions", kFrontendPluginType).full_name,
            "zbt-fe-kel-champions");

  log::Acquire();
  testing::RecordingLogTarget log_lines;
  const PluginNames names = GetFullNameFromShortNameAndType("kel-champions", PluginType{"Backend", ""});
  EXPECT_EQ(names.full_name, "zbt-xx-kel-champions");
  EXPECT_EQ(names.type_name, "Backend");
  ASSERT_EQ(log_lines.Lines().size(), 1u);
  EXPECT_EQ(log_lines.Lines()[0].level, log::kError);
  EXPECT_EQ(log_lines.Lines()[0].message,
            "            Plugin Manager| GetFullNameFromShortNameAndType(\"kel-champions\", \"Backend\") called "
            "with an unknown type");
  log::Release();
}

TEST(NameRule, CamelCasesMethodAndText) {
  EXPECT_EQ(ApplyNameRule("", "kel-champions"), "KelChampions");
  EXPECT_EQ(ApplyNameRule("GET", "/kel-champions/v1/inventories/{summonerId}/champions"),
            "GetKelChampionsV1InventoriesBySummonerIdChampions");
  EXPECT_EQ(ApplyNameRule("post", "/a.b_c+d!e"), "PostABCDE");
  // "}" is dropped without capitalising what follows.
  EXPECT_EQ(ApplyNameRule("", "x{id}y"), "XByIdy");
  EXPECT_EQ(ApplyNameRule("", "already Camel"), "Already Camel");
  EXPECT_EQ(ApplyNameRule("", ""), "");
  EXPECT_EQ(ApplyNameRule("D", "/"), "D");
}

}  // namespace
}  // namespace kel
