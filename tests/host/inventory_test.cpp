// The champion inventory in the real host (what the plug-in makes of the
// messages is the flow tests' business), and the OpenAPI document judged by
// the validators in tests/host/openapi against the generated world's answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "host/host_options.h"
#include "host_process.h"
#include "platform/clock.h"

namespace kel::host::testing {
namespace {

using std::chrono::milliseconds;

std::string Champion(int32_t id) { return InventoryRoute("/champions/") + std::to_string(id); }

// Buying through the store: the page test.
TEST(ChampionInventory, RentalStepsChangeOwnershipAndAnEndedRentalIsNotified) {
  HostProcess host({"--login-delay-ms", "0"});
  ASSERT_TRUE(WaitForFullList(host));
  const datagen::GameChampion& champion = DefaultWorld().Champions()[3];
  const std::string item = R"({"championId": )" + std::to_string(champion.id);
  const auto rental = [&] { return host.Get(Champion(champion.id)).value.Find("ownership").Find("rental"); };
  const auto soon = Patience(milliseconds(5000));
  ASSERT_EQ(host.Send("POST", "/host/v1/store/rent", item + R"(, "days": 2})").status, 200);
  ASSERT_TRUE(WaitFor([&] { return rental().Find("rented").GetBool(); }, soon));
  EXPECT_EQ(rental().Find("endDate").AsUnsigned() - rental().Find("purchaseDate").AsUnsigned(), 2u * 86400000u);

  ASSERT_EQ(host.Send("POST", "/host/v1/store/end-rental", item + "}").status, 200);
  ASSERT_TRUE(WaitFor([&] { return host.Get("/host/v1/notifications").value.Size() == 1; }, soon));
  EXPECT_EQ(host.Get("/host/v1/notifications").value.Get(0).Find("data").Find("expiredContentName").GetString(),
            champion.name);
  EXPECT_FALSE(rental().Find("rented").GetBool());
  EXPECT_EQ(host.Send("POST", "/host/v1/store/buy", R"({"championId": 999999})").status, 404);
  EXPECT_EQ(host.Send("POST", "/host/v1/store/buy", item + R"(, "skinId": 1})").status, 404);
  EXPECT_EQ(host.Send("POST", "/host/v1/store/rent", item + "}").status, 400);
}

// The host's --legacy-rentals-end-in-ms sets the end the plug-in's timer
// waits for.
TEST(ChampionInventory, LegacyRentalsEndWhenTheHostSays) {
  int32_t champion = 0;
  for (const auto& record : DefaultWorld().Ownership(kDefaultSummonerId, platform::WallClockMilliseconds())) {
    if (record.kind == datagen::OwnershipKind::LegacyRental && !record.owned) champion = record.championId;
  }
  ASSERT_NE(champion, 0) << "the default world has no legacy rental";
  const milliseconds ends_in = Patience(milliseconds(3000));
  const uint64_t started = platform::WallClockMilliseconds();
  HostProcess host({"--login-delay-ms", "0", "--legacy-rentals-end-in-ms", std::to_string(ends_in.count())});
  const auto rental = [&] { return host.Get(Champion(champion)).value.Find("ownership").Find("rental"); };
  ASSERT_TRUE(WaitForFullList(host));
  EXPECT_GE(rental().Find("endDate").AsUnsigned(), started + ends_in.count());
  EXPECT_LT(rental().Find("endDate").AsUnsigned(), platform::WallClockMilliseconds() + ends_in.count());
  EXPECT_TRUE(WaitFor([&] { return !rental().Find("rented").GetBool(); }, ends_in * 2));
}

TEST(ChampionInventory, InjectedGameDataFailuresAreRetriedAndReachTheTelemetryRoute) {
  const int32_t failing = DefaultWorld().Champions()[5].id;
  HostProcess host(
      {"--login-delay-ms", "0", "--fail-champion-summary", "1", "--fail-champion", std::to_string(failing) + ":1"});
  ASSERT_TRUE(WaitForFullList(host)) << host.Output();
  const BindingValue telemetry = host.Get("/host/v1/telemetry").value;
  ASSERT_EQ(telemetry.Size(), 2u);
  EXPECT_EQ(telemetry.Get(0).Find("eventName").GetString(), "zbt_fe_kel_champions_failedLoadingGameData");
  EXPECT_EQ(telemetry.Get(1).Find("properties").Find("champion").GetString(), std::to_string(failing));
  EXPECT_EQ(host.Get("/host/v1/log?contains=Error requesting champion summary data").value.Size(), 1u);
}

TEST(HostOpenApi, IsValidAndEveryRouteAnswersAsItSays) {
  ASSERT_TRUE(std::filesystem::exists(KEL_OPENAPI_CHECK_DIR "/node_modules"))
      << "the validators are missing: run scripts/install-deps.sh test";
  HostProcess host;
  ASSERT_TRUE(WaitForFullList(host)) << host.Output();
  const std::string command =
      "node " KEL_OPENAPI_CHECK_DIR "/check.mjs http://127.0.0.1:" + std::to_string(host.Port()) + " 2>&1";
  FILE* check = popen(command.c_str(), "r");
  ASSERT_NE(check, nullptr);
  std::string output;
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, check)) > 0;) output.append(chunk, n);
  EXPECT_EQ(pclose(check), 0) << output;
}

}  // namespace
}  // namespace kel::host::testing
