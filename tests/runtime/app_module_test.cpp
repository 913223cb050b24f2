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

class EnteredModule : public ::testing::Test {
 protected:
  void SetUp() override { module_.Enter(record_, "kel-champions"); }

  PluginHostRecord record_{18, 0, 0};
  AppModule module_;
};

// Each forwarder calls its own slot of the core's table: the request,
// event, subscription, task and wait tests read the others through the
// fake core's slots; only the reserved one is read here.
TEST_F(EnteredModule, TheReservedForwarderCallsItsOwnSlot) {
  FakeCore core;
  ASSERT_TRUE(module_.Initialize(&core.services()));
  module_.CallReservedHostFunction(5, 6);
  ASSERT_EQ(core.reserved_calls().size(), 1u);
  EXPECT_EQ(core.reserved_calls()[0].first, 5u);
  EXPECT_EQ(core.reserved_calls()[0].second, 6u);
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
  second.Enter(record_, "kel-champions");
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
  EXPECT_EQ(GetFullNameFromShortNameAndType("kel-champions", kBackendPluginType).full_name, "zbt-be-kel-champions");
  EXPECT_EQ(GetFullNameFromShortNameAndType("kel-champions", kFrontendPluginType).full_name, "zbt-fe-kel-champions");

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
  // The champion route tests call every route by its name.
  EXPECT_EQ(ApplyNameRule("post", "/a.b_c+d!e"), "PostABCDE");
  // "}" is dropped without capitalising what follows.
  EXPECT_EQ(ApplyNameRule("", "x{id}y"), "XByIdy");
  EXPECT_EQ(ApplyNameRule("", "already Camel"), "Already Camel");
  EXPECT_EQ(ApplyNameRule("", ""), "");
  EXPECT_EQ(ApplyNameRule("D", "/"), "D");
}

}  // namespace
}  // namespace kel
