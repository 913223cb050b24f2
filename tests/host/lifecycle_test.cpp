// The real host's start and stop (stopping under load: the concurrency
// test), its control API, and kel-host decode.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "host/host_options.h"
#include "host_process.h"
#include "serialization/json_writer.h"

namespace kel::host::testing {
namespace {

TEST(HostLifecycle, ServesGameDataFromAFolderLogsInStopsCleanlyAndRefusesWhatItCannotLoadOrRead) {
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
  const CommandResult run = RunKelHost({"--module", "/nonexistent/zbt-be-kel-champions.so", "--port", "0"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.err.find("kel-host:"), std::string::npos) << run.err;
  EXPECT_NE(RunKelHost({"--fail-champion", "12:x", "--port", "0"}).exit_status, 0);
}

constexpr const char* kSession = "/host/v1/resources/kel-login/v1/session";

TEST(HostControl, LoginLogoutAndASecondLoginReplaceTheSession) {
  HostProcess host({"--no-login"});
  EXPECT_EQ(host.Get(kSession).status, 404);
  EXPECT_EQ(host.Get(InventoryRoutes()[0]).value.Find("message").GetString(),
            "Champion data has not yet been received.");
  EXPECT_EQ(host.Send("POST", "/host/v1/logout").status, 409);

  ASSERT_EQ(host.Send("POST", "/host/v1/login", R"({"summonerId": 7, "accountId": 8})").status, 200);
  EXPECT_EQ(WriteJson(host.Get(kSession).value),
            R"({"accountId":8,"connected":true,"state":"SUCCEEDED","summonerId":7})");

  EXPECT_EQ(host.Send("POST", "/host/v1/reconnect").status, 200);
  EXPECT_TRUE(host.Get(kSession).value.Find("connected").GetBool());

  EXPECT_EQ(host.Send("POST", "/host/v1/logout").status, 200);
  EXPECT_EQ(host.Get(kSession).status, 404);
  EXPECT_EQ(host.Send("POST", "/host/v1/reconnect").status, 409);

  ASSERT_EQ(host.Send("POST", "/host/v1/login", R"({"summonerId": 9, "accountId": 10})").status, 200);
  EXPECT_EQ(host.Get(kSession).value.Find("summonerId").AsUnsigned(), 9u);
  EXPECT_EQ(host.Get("/host/v1/status").value.Find("loggedInSummonerId").AsUnsigned(), 9u);
  EXPECT_EQ(host.Send("POST", "/host/v1/login", R"({"summonerId": 0})").status, 400);
}

TEST(HostControl, PlayedResourcesAreSetReadAndDeletedAndWhatItCannotReadIsRefusedInJson) {
  HostProcess host({"--no-login"});
  const std::string loyalty = "/host/v1/resources/kel-loyalty/v1/status-notification";
  EXPECT_EQ(host.Get(loyalty).status, 404);
  ASSERT_EQ(host.Send("PUT", loyalty, R"({"level": 3})").status, 200);
  EXPECT_EQ(host.Get(loyalty).value.Find("level").AsUnsigned(), 3u);
  EXPECT_EQ(host.Send("DELETE", loyalty).status, 200);
  EXPECT_EQ(host.Send("DELETE", loyalty).status, 404);
  // The platform configuration is played from the start.
  EXPECT_EQ(host.Get("/host/v1/resources").value.Size(), 4u);

  const JsonReply broken = host.Send("POST", "/host/v1/faults", "{");
  EXPECT_EQ(broken.status, 400);
  EXPECT_EQ(broken.value.Find("httpStatus").AsSigned(), 400);
  EXPECT_NE(broken.value.Find("message").GetString().find("not JSON"), std::string_view::npos);
  EXPECT_EQ(host.Send("POST", "/host/v1/faults", R"({"champions": {"x1": 2}})").status, 400);
  const JsonReply faults = host.Send("POST", "/host/v1/faults", R"({"inventory": -1, "champions": {"12": 2}})");
  EXPECT_EQ(WriteJson(faults.value), R"({"championSummary":0,"champions":{"12":2},"delayMs":0,"inventory":-1})");
  EXPECT_EQ(host.Send("POST", "/host/v1/messages/rental-update", "[1]").status, 400);

  const JsonReply unknown = host.Get("/no-such-plugin/v1/thing");
  EXPECT_EQ(unknown.status, 404);
  EXPECT_EQ(unknown.value.Find("httpStatus").AsSigned(), 404);
}

// Compact JSON out, or the reader's message and a failure.
TEST(HostDecode, PrintsWhatEachReaderMakesOfTheBytesOrReportsItsMessageAndFails) {
  EXPECT_EQ(RunKelHost({"decode", "--as", "json"}, R"({ "b": [1, 2.5, "x"], "a": null })").out,
            "{\"a\":null,\"b\":[1,2.5,\"x\"]}\n");
  EXPECT_EQ(RunKelHost({"decode", "--as", "yaml"}, "a: [1, 2]\nb: text\n").out, "{\"a\":[1,2],\"b\":\"text\"}\n");
  EXPECT_EQ(RunKelHost({"decode", "--as", "msgpack"}, std::string("\x81\xA1\x61\x01", 4)).out, "{\"a\":1}\n");

  const std::string file = ::testing::TempDir() + "/kel-decode-body.json";
  std::ofstream(file) << "[true]";
  EXPECT_EQ(RunKelHost({"decode", "--as", "json", file}).out, "[true]\n");

  const CommandResult json = RunKelHost({"decode", "--as", "json"}, "{\"a\": }");
  EXPECT_EQ(json.exit_status, 1);
  EXPECT_TRUE(json.out.empty());
  EXPECT_EQ(json.err.rfind("Error: ", 0), 0u) << json.err;

  const CommandResult extra = RunKelHost({"decode", "--as", "msgpack"}, std::string("\x91\x01\x02", 3));
  EXPECT_EQ(extra.exit_status, 1);
  EXPECT_EQ(extra.err, "Extra MessgePack data found in body\n");

  EXPECT_NE(RunKelHost({"decode", "--as", "xml"}, "<a/>").exit_status, 0);
  EXPECT_NE(RunKelHost({"decode", "--as", "json", "/nonexistent/body.json"}).exit_status, 0);
}

}  // namespace
}  // namespace kel::host::testing
