// Start, serve, stop: the module loaded, entered, initialised and shut down
// by the real host, and the host's refusals when it cannot be. Stopping
// under load: the concurrency test.
#include <gtest/gtest.h>

#include "host/host_options.h"
#include "host_process.h"

namespace kel::host::testing {
namespace {

TEST(HostLifecycle, ServesGameDataWrittenToAFolderLogsTheDefaultSummonerInAndStopsCleanly) {
  const std::string folder = ::testing::TempDir() + "/kel-host-game-data";
  const CommandResult written = RunKelHost({"write-data", folder, "--seed", "3"});
  ASSERT_EQ(written.exit_status, 0) << written.err;
  HostProcess host({"--data", folder, "--login-delay-ms", "0"});
  const JsonReply status = host.Get("/host/v1/status");
  ASSERT_EQ(status.status, 200) << host.Output();
  EXPECT_EQ(status.value.Find("plugin").GetString(), "kel-champions");
  EXPECT_EQ(status.value.Find("gameDataFiles").AsUnsigned(), 171u);
  EXPECT_TRUE(WaitFor(
      [&] { return host.Get("/host/v1/status").value.Find("loggedInSummonerId").AsUnsigned() == kDefaultSummonerId; },
      Patience(std::chrono::milliseconds(5000))));
  EXPECT_EQ(host.Get("/host/v1/resources/kel-login/v1/session").value.Find("state").GetString(), "SUCCEEDED");
  EXPECT_TRUE(host.Get("/host/v1/api").value.Find("functions").IsCollection());
  EXPECT_EQ(host.Stop(), 0);
  EXPECT_NE(host.Output().find("kel-host: stopped"), std::string::npos) << host.Output();

  const CommandResult missing = RunKelHost({"--data", folder + "/nothing-here", "--port", "0"});
  EXPECT_EQ(missing.exit_status, 1);
  EXPECT_NE(missing.err.find("champion-summary.json"), std::string::npos) << missing.err;
}

TEST(HostLifecycle, RefusesAModuleThatCannotBeLoadedAndFaultsItCannotRead) {
  const CommandResult run = RunKelHost({"--module", "/nonexistent/zbt-be-kel-champions.so", "--port", "0"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.err.find("kel-host:"), std::string::npos) << run.err;
  EXPECT_NE(RunKelHost({"--fail-champion", "12:x", "--port", "0"}).exit_status, 0);
}

}  // namespace
}  // namespace kel::host::testing
