#include "diagnostics/log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "diagnostics/console_log_targets.h"
#include "diagnostics/trace_providers.h"
#include "platform/debugger_output.h"
#include "platform/process_info.h"
#include "support/recording_log_target.h"

namespace kel::log {
namespace {

std::vector<std::string> g_debugger_lines;

// Each test holds a reference to the log; releasing it in TearDown puts the
// log back into its start-up state for the next test.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Acquire();
    g_debugger_lines.clear();
    previous_sink_ = platform::SetDebuggerOutputSink([](const char* text) { g_debugger_lines.emplace_back(text); });
    // Keep the test output clean; the routing test attaches it again.
    StdErrTarget().Detach();
  }
  void TearDown() override {
    platform::SetDebuggerOutputSink(previous_sink_);
    Release();
  }

 private:
  platform::DebuggerOutputSink previous_sink_ = nullptr;
};

TEST_F(LogTest, LogThresholdAndExcludedGroupsDropMessagesAndLongOnesAreCut) {
  testing::RecordingLogTarget target;
  const uint32_t warnings = WarningCount();
  const uint64_t errors = ErrorCount();
  Write(kOkay, 0, "below threshold");
  Write(kWarn, 0, "warning %d", 1);
  Write(kError, kGroupXtr, "excluded group");
  SetThreshold(kOkay);
  SetExcludedGroups(0);
  Write(kOkay, 0, "okay now");
  Write(kError, kGroupXtr | kGroupDbg, "xtr now");
  Disable();
  EXPECT_TRUE(IsDisabled());
  Write(kAlways, 0, "disabled");
  Enable();
  const std::string long_text(5000, 'm');  // cut to 4095 bytes
  Write(kError, 0, "%s", long_text.c_str());
  EXPECT_EQ(target.Messages(),
            (std::vector<std::string>{"warning 1", "okay now", "xtr now", long_text.substr(0, kMaxLogText)}));
  EXPECT_EQ(std::tuple(WarningCount(), ErrorCount()), std::tuple(warnings + 1, errors + 2));
}

TEST_F(LogTest, TargetsFilterByThresholdAndGroupMasks) {
  testing::RecordingLogTarget target;
  target.SetThreshold(kError);
  target.SetGroupMasks(kGroupNet | kGroupMem, kGroupMem);
  Write(kWarn, kGroupNet, "below target threshold");
  Write(kError, kGroupNet, "included");
  Write(kError, kGroupMem | kGroupNet, "excluded wins");
  Write(kError, kGroupDsk, "not included");
  Write(kError, 0, "no groups pass the masks");
  EXPECT_EQ(target.Messages(), (std::vector<std::string>{"included", "no groups pass the masks"}));
}

TEST_F(LogTest, ConsoleTargetsRouteByGroup) {
  StdErrTarget().Attach();
  StdOutTarget().Attach();
  ::testing::internal::CaptureStderr();
  ::testing::internal::CaptureStdout();
  Write(kWarn, kGroupDbg, "for the developer");
  Write(kWarn, kGroupGen, "for the user");
  const std::string out = ::testing::internal::GetCapturedStdout();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, "for the user\n");
  EXPECT_NE(err.find("  WARN| for the developer\n"), std::string::npos);
  EXPECT_EQ(err.find("for the user"), std::string::npos);
  ASSERT_EQ(g_debugger_lines.size(), 1u);
  EXPECT_NE(g_debugger_lines[0].find(std::string(ExecutableName()) + "(0x"), std::string::npos);
  EXPECT_NE(g_debugger_lines[0].find("  WARN| for the developer\n"), std::string::npos);
}

TEST_F(LogTest, TargetsAreWrittenInAttachOrderOnceEachUpToSixteenAndDetachedOnDestruction) {
  testing::RecordingLogTarget first;
  {
    testing::RecordingLogTarget second;
    EXPECT_EQ(FindTarget("RecordingLogTarget"), &first);
    first.Detach();
    first.Attach();
    EXPECT_EQ(FindTarget("RecordingLogTarget"), &second);
    Write(kWarn, 0, "both");
    EXPECT_EQ(second.Messages(), std::vector<std::string>{"both"});
  }
  EXPECT_EQ(FindTarget("RecordingLogTarget"), &first);
  first.Attach();  // attached already: still written once
  Write(kWarn, 0, "one");
  EXPECT_EQ(first.Messages(), (std::vector<std::string>{"both", "one"}));
  // The debugger target and `first` are attached already.
  std::vector<std::unique_ptr<testing::RecordingLogTarget>> more;
  for (int i = 0; i < 20; ++i) more.push_back(std::make_unique<testing::RecordingLogTarget>());
  EXPECT_EQ(std::count_if(more.begin(), more.end(), [](const auto& extra) { return extra->IsAttached(); }), 14);
}

TEST_F(LogTest, LastReleaseRestoresTheStartUpState) {
  Acquire();
  testing::RecordingLogTarget target;
  StdOutTarget().Attach();
  StdOutTarget().SetThreshold(kOkay);
  SetThreshold(kOkay);
  SetExcludedGroups(0);
  SetAuxiliaryFlag();
  Release();  // the fixture still holds one reference
  EXPECT_EQ(std::tuple(Threshold(), AuxiliaryFlag()), std::tuple(kOkay, true));
  Release();
  EXPECT_EQ(std::tuple(Threshold(), ExcludedGroups(), AuxiliaryFlag(), target.IsAttached(), StdOutTarget().IsAttached(),
                       StdOutTarget().Threshold(), StdErrTarget().IsAttached()),
            std::tuple(1u, kGroupXtr, false, false, false, 1u, true));
  Acquire();  // for the fixture's TearDown
}

// Registers codes until all 64 bits are taken; true when every mask came
// out as expected.
bool FillGroupTable() {
  const uint64_t first = RegisterGroup("AAA");
  bool ok =
      first == (uint64_t{1} << 8) && RegisterGroup("AAAx") == first && GroupsToText(first | kGroupDbg) == "DBG;AAA";
  for (int i = 9; i < 64; ++i) {
    const char code[4] = {'B', static_cast<char>('A' + i / 26), static_cast<char>('A' + i % 26), 0};
    ok = ok && RegisterGroup(code) == uint64_t{1} << i;
  }
  return ok && RegisterGroup("ZZZ") == 0 && RegisterGroup("AAA") == first;
}

TEST_F(LogTest, GroupCodes) {
  EXPECT_EQ(std::tuple(RegisterGroup("MEM"), RegisterGroup(""), GroupsToText(0),
                       GroupsToText(kGroupDbg | kGroupXtr | kGroupTst)),
            std::tuple(kGroupMem, 0u, "", "DBG;XTR;TST"));
  // Exhausting the table changes it for the rest of the process: do it in
  // a child.
  EXPECT_EXIT(std::_Exit(FillGroupTable() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

TEST_F(LogTest, TheFunctionTableDrivesTheSameLog) {
  const LogFunctions& table = Functions();
  testing::RecordingLogTarget target;
  table.set_excluded_groups(0, 1);
  EXPECT_EQ(table.get_excluded_groups(), uint64_t{1} << 32);
  table.log(kError, 0, 1, "high group %s", "dropped");
  table.log(kError, 1, 0, "low group %s", "kept");
  ASSERT_EQ(target.Messages(), std::vector<std::string>{"low group kept"});
  char text[8];
  const size_t length = table.groups_to_text(kGroupDbg | kGroupGen | kGroupXtr, text, sizeof text);
  EXPECT_EQ(std::tuple(target.Lines()[0].groups, table.find_target("RecordingLogTarget"), length, std::string(text),
                       std::string(table.level_name(kAlways))),
            std::tuple(kGroupDbg, &target, 11u, "DBG;GEN", "ALWAYS"));
}

// A facility that enables the second provider as soon as it registers and
// records what the providers do.
struct RecordingFacility {
  static inline std::vector<uint32_t> registered;
  static inline std::vector<uint64_t> unregistered;
  static inline std::vector<std::string> thread_names;
  static inline uint32_t named_thread = 0;

  static bool Register(const platform::TraceGuid& id, platform::TraceEnableCallback callback, void* context,
                       uint64_t* handle) {
    registered.push_back(id.data1);
    *handle = registered.size();
    if (id.data1 == 0xEA08C559) callback(context, true, 4, 0xF0, 0x10);
    return true;
  }
  static void WriteThreadName(uint64_t handle, uint32_t thread_id, const char* name) {
    thread_names.push_back(std::to_string(handle) + ":" + name);
    named_thread = thread_id;
  }
  static void Unregister(uint64_t handle) { unregistered.push_back(handle); }

  static constexpr platform::TraceFacility kTable{&Register, &WriteThreadName, &Unregister};
};

TEST(TraceProviders, OffWithoutAFacilityAndWithOneRegisterAllFourAndNameTheLoadingThreadWhenTheSecondIsEnabled) {
  ASSERT_EQ(platform::CurrentTraceFacility(), nullptr);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_FALSE(TraceProviders().provider(i).registered() || TraceProviders().provider(i).enabled()) << i;
  platform::SetTraceFacility(&RecordingFacility::kTable);
  {
    TraceProviders providers;
    EXPECT_EQ(RecordingFacility::registered, (std::vector<uint32_t>{0x2F9EFE86, 0xEA08C559, 0x10F6728C, 0x46DD7F96}));
    const TraceProvider& second = providers.provider(1);
    EXPECT_EQ(std::tuple(second.enabled(), second.level(), second.match_any_keyword(), second.match_all_keyword(),
                         providers.provider(0).enabled()),
              std::tuple(true, 4, 0xF0u, 0x10u, false));
    EXPECT_EQ(RecordingFacility::thread_names, std::vector<std::string>{"2:Main thread"});
    EXPECT_EQ(RecordingFacility::named_thread, platform::CurrentThreadId());
  }
  EXPECT_EQ(RecordingFacility::unregistered, (std::vector<uint64_t>{1, 2, 3, 4}));
  platform::SetTraceFacility(nullptr);
}

}  // namespace
}  // namespace kel::log
