#include "runtime/app_module.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <csignal>
#include <cstdint>
#include <cstring>

#include "diagnostics/log.h"
#include "api/name_rule.h"
#include "runtime/api_version.h"
#include "runtime/host_abi.h"
#include "runtime/plugin_names.h"
#include "support/dirty_host_record.h"
#include "support/fake_core.h"
#include "support/recording_log_target.h"

namespace kel {
namespace {

using testing::DirtyHostRecord;
using testing::FakeCore;

TEST(Entry, FillsTheRecordForACompatibleCoreAndComparesMinorBeforePatch) {
  for (const PluginApiVersion core : {PluginApiVersion{18, 0, 0}, PluginApiVersion{18, 3, 1}}) {
    PluginHostRecord record = DirtyHostRecord(core.major, core.minor, core.patch);
    load_kel_champions(&record);
    // Packed fields are copied out before comparison: they may be misaligned.
    EXPECT_EQ(std::tuple(+record.api_major, +record.api_minor, +record.api_patch), std::tuple(18u, 0u, 0u));
    EXPECT_STREQ(record.short_name, "kel-champions");
    ASSERT_TRUE(record.callbacks != nullptr && record.context != nullptr);
    record.callbacks->shutdown(record.context);
  }
  // The cores the entry accepts and refuses are the two tests around this one.
  EXPECT_FALSE(IsCompatibleApiVersion({19, 0, 0}, kPluginApiVersion));
  const PluginApiVersion plugin{18, 2, 5};
  EXPECT_EQ(std::tuple(IsCompatibleApiVersion({18, 3, 0}, plugin), IsCompatibleApiVersion({18, 2, 5}, plugin),
                       IsCompatibleApiVersion({18, 2, 4}, plugin), IsCompatibleApiVersion({18, 1, 9}, plugin)),
            std::tuple(true, true, false, false));
}

// The refusal ends the process, so it runs in a child. The record lives in
// memory shared with the child to show that no field was written.
TEST(Entry, AnIncompatibleCoreGetsTheFatalReportAndTheProcessEnds) {
  void* shared = mmap(nullptr, sizeof(PluginHostRecord), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  auto* record = static_cast<PluginHostRecord*>(shared);
  *record = DirtyHostRecord(17, 9, 9);
  const PluginHostRecord before = *record;
  EXPECT_EXIT(load_kel_champions(record), ::testing::KilledBySignal(SIGABRT),
              " ERROR\\| Assertion failed!\n\nExpression: ALE-EECF0606\n");
  EXPECT_EQ(std::memcmp(record, &before, sizeof before), 0);
  munmap(shared, sizeof(PluginHostRecord));
}

TEST(Entry, InitializeSendsTheLogToTheCoreAndShutdownEndsIt) {
  PluginHostRecord record = DirtyHostRecord(18, 0, 0);
  load_kel_champions(&record);
  FakeCore core;
  EXPECT_EQ(record.callbacks->initialize(record.context, &core.services()), 1);
  EXPECT_EQ(std::tuple(log::FindTarget("StdErrLogTarget"), log::FindTarget("DebuggerConsoleLogTarget"),
                       log::FindTarget("PluginLogTarget") != nullptr, log::Threshold(), log::ExcludedGroups()),
            std::tuple(nullptr, nullptr, true, log::kOkay, log::kGroupXtr));

  // Starting the inventory's flows may have logged already.
  const size_t before = core.log_lines().size();
  log::Write(log::kOkay, 0, "okay %d", 1);
  log::Write(log::kAlways, log::kGroupDbg, "always");
  log::Write(log::kError, log::kGroupXtr, "excluded");
  std::string lines;
  for (size_t i = before; i < core.log_lines().size(); ++i)
    lines += std::to_string(core.log_lines()[i].level) + ":" + core.log_lines()[i].text + ";";
  EXPECT_EQ(lines, std::to_string(log::kOkay) + ":okay 1;" + std::to_string(log::kAlways) + ":always;");

  record.callbacks->shutdown(record.context);
  EXPECT_EQ(
      std::tuple(log::FindTarget("PluginLogTarget"), log::FindTarget("StdErrLogTarget") != nullptr, log::Threshold()),
      std::tuple(nullptr, true, log::kWarn));
  EXPECT_EQ(core.CallCount(testing::HostFunction::kWriteLog), before + 2);
}

TEST(Entry, GetMemoryStatsWritesExactlyFourteenWordsAndNullArgumentsAreRefused) {
  load_kel_champions(nullptr);
  PluginHostRecord record = DirtyHostRecord(18, 0, 0);
  load_kel_champions(&record);
  unsigned char buffer[64];
  std::memset(buffer, 0xAA, sizeof buffer);
  record.callbacks->get_memory_stats(record.context, reinterpret_cast<MemoryStats*>(buffer));
  uint32_t words[14];
  std::memcpy(words, buffer, sizeof words);
  EXPECT_EQ(words[12], 0u);
  EXPECT_EQ(words[13], 0u);
  for (size_t i = sizeof(MemoryStats); i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0xAA) << i;
  EXPECT_EQ(record.callbacks->initialize(record.context, nullptr), 0);
  HostServices no_table{nullptr, 1};
  EXPECT_EQ(record.callbacks->initialize(record.context, &no_table), 0);
  record.callbacks->shutdown(record.context);
}

class EnteredModule : public ::testing::Test {
 protected:
  void SetUp() override { module_.Enter(record_, "kel-champions"); }

  PluginHostRecord record_{18, 0, 0};
  AppModule module_;
};

// Each forwarder calls its own slot of the core's table: the request,
// event, subscription, task and wait tests read the others through the
// fake core's slots; only the reserved one is read here. Before Initialize
// they call nothing.
TEST_F(EnteredModule, ForwardersCallNothingBeforeInitializeAndTheReservedOneItsOwnSlotAfter) {
  testing::RecordingLogTarget log_lines;
  module_.PumpHost();
  module_.EndWait();
  EXPECT_EQ(log_lines.Messages(),
            (std::vector<std::string>{"PumpHost called before Initialize", "EndWait called before Initialize"}));
  FakeCore core;
  ASSERT_TRUE(module_.Initialize(&core.services()));
  module_.CallReservedHostFunction(5, 6);
  ASSERT_EQ(core.reserved_calls().size(), 1u);
  EXPECT_EQ(std::tuple(core.reserved_calls()[0].first, core.reserved_calls()[0].second), std::tuple(5, 6));
}

TEST_F(EnteredModule, ASecondModuleLeavesAnAttachedPluginLogTargetAlone) {
  FakeCore first_core;
  ASSERT_TRUE(module_.Initialize(&first_core.services()));
  log::SetThreshold(log::kError);

  AppModule second;
  second.Enter(record_, "kel-champions");
  FakeCore second_core;
  ASSERT_TRUE(second.Initialize(&second_core.services()));
  EXPECT_EQ(log::Threshold(), log::kError);
  log::Write(log::kError, 0, "one line");
  EXPECT_EQ(std::tuple(first_core.log_lines().size(), second_core.log_lines().size()), std::tuple(1u, 0u));
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

TEST(PluginNames, FullNamesAndCamelCasedRouteNames) {
  EXPECT_EQ(GetFullNameFromShortNameAndType("kel-champions", kBackendPluginType).full_name, "zbt-be-kel-champions");
  EXPECT_EQ(GetFullNameFromShortNameAndType("kel-champions", kFrontendPluginType).full_name, "zbt-fe-kel-champions");

  log::Acquire();
  testing::RecordingLogTarget log_lines;
  const PluginNames names = GetFullNameFromShortNameAndType("kel-champions", PluginType{"Backend", ""});
  EXPECT_EQ(names.full_name + " " + names.type_name, "zbt-xx-kel-champions Backend");
  ASSERT_EQ(log_lines.Lines().size(), 1u);
  EXPECT_EQ(std::tuple(log_lines.Lines()[0].level, log_lines.Lines()[0].message),
            std::tuple(log::kError,
                       "            Plugin Manager| GetFullNameFromShortNameAndType(\"kel-champions\", \"Backend\") "
                       "called with an unknown type"));
  log::Release();
  // Route names camel-case the method and the text; "}" is dropped without
  // capitalising what follows.
  EXPECT_EQ(ApplyNameRule("", "kel-champions") + " " + ApplyNameRule("post", "/a.b_c+d!e") + " " +
                ApplyNameRule("", "x{id}y") + " " + ApplyNameRule("", "already Camel") + "|" + ApplyNameRule("", "") +
                "|" + ApplyNameRule("D", "/"),
            "KelChampions PostABCDE XByIdy Already Camel||D");
}

}  // namespace
}  // namespace kel
