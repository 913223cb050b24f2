// The control API's scenarios and refusals, independent of what the plug-in
// serves.
#include <gtest/gtest.h>

#include <string>

#include "host_process.h"
#include "serialization/json_writer.h"

namespace kel::host::testing {
namespace {

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

}  // namespace
}  // namespace kel::host::testing
