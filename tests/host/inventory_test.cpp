// The champion inventory served by the real plug-in in the real host: its
// routes, events, store and rental messages and game-data failures. What
// the plug-in makes of them is the flow tests' business; these show that
// the host carries each one (legacy rentals: the page test).
#include <gtest/gtest.h>

#include <string>

#include "datagen/generated_world.h"
#include "host/host_options.h"
#include "host_process.h"

namespace kel::host::testing {
namespace {

const datagen::GeneratedWorld& World() {
  static const datagen::GeneratedWorld world(1);
  return world;
}

std::string Inventory(uint64_t summoner) { return "/kel-champions/v1/inventories/" + std::to_string(summoner); }
std::string Champion(uint64_t summoner, int32_t id) { return Inventory(summoner) + "/champions/" + std::to_string(id); }

class ChampionInventory : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> arguments) { host_ = std::make_unique<HostProcess>(std::move(arguments)); }
  // Waits until the summoner's list holds every generated champion.
  bool WaitForFullList(uint64_t summoner) {
    return WaitFor(
        [&] {
          const JsonReply list = host_->Get(Inventory(summoner) + "/champions");
          return list.status == 200 && list.value.Size() == World().Champions().size();
        },
        Patience(std::chrono::milliseconds(20000)));
  }
  static bool HasEvent(const std::vector<BindingValue>& events, std::string_view uri, std::string_view type) {
    for (const BindingValue& event : events) {
      if (event.Find("uri").GetString() == uri && event.Find("eventType").GetString() == type) return true;
    }
    return false;
  }

  std::unique_ptr<HostProcess> host_;
};

// The eight routes of one summoner; the plug-in's own tests check what each
// answers, these that the host carries every one of them.
std::vector<std::string> Routes(uint64_t summoner) {
  const datagen::GameChampion& first = World().Champions().front();
  const std::string one = Champion(summoner, first.id);
  const std::string skin = one + "/skins/" + std::to_string(first.skins.back().id);
  return {Inventory(summoner) + "/champions", Inventory(summoner) + "/champions-minimal",
          Inventory(summoner) + "/skins-minimal", Inventory(summoner) + "/champions-playable-count",
          one, one + "/skins", skin, skin + "/chromas"};
}

TEST_F(ChampionInventory, EveryRouteServesTheLoggedInSummonerOnlyOnceLoggedIn) {
  Start({"--no-login"});
  const uint64_t me = kDefaultSummonerId;
  for (const std::string& path : Routes(me)) EXPECT_EQ(host_->Get(path).status, 404) << path;
  EXPECT_EQ(host_->Get(Routes(me)[0]).value.Find("message").GetString(), "Champion data has not yet been received.");
  // An id that does not bind never reaches the handler.
  EXPECT_EQ(host_->Get(Inventory(me) + "/champions/abc").status, 400);

  ASSERT_EQ(host_->Send("POST", "/host/v1/login").status, 200);
  ASSERT_TRUE(WaitForFullList(me)) << host_->Output();
  for (const std::string& path : Routes(me)) EXPECT_EQ(host_->Get(path).status, 200) << path;
  for (const std::string& path : Routes(me + 1)) EXPECT_EQ(host_->Get(path).status, 404) << path;
  const datagen::GameChampion& first = World().Champions().front();
  EXPECT_EQ(host_->Get(Champion(me, first.id)).value.Find("id").AsSigned(), first.id);
  EXPECT_EQ(host_->Get(Champion(me, 999999)).value.Find("message").GetString(), "Champion 999999 does not exist.");
}

TEST_F(ChampionInventory, TheEventStreamCarriesTheCreateEventsThenUpdates) {
  Start({"--login-delay-ms", "0"});
  const std::string list = Inventory(kDefaultSummonerId) + "/champions";
  const std::string counts = Inventory(kDefaultSummonerId) + "/champions-playable-count";
  // The list, the minimal list and the counts go out in that order.
  const auto created = host_->ReadEvents([&](const auto& events) { return HasEvent(events, counts, "Create"); },
                                         Patience(std::chrono::milliseconds(20000)));
  ASSERT_TRUE(HasEvent(created, counts, "Create")) << host_->Output();
  EXPECT_TRUE(HasEvent(created, list, "Create"));

  // Each change is published under its own name and the general one.
  std::size_t specific = 0, general = 0;
  const auto countUpdates = [&](const std::vector<BindingValue>& events) {
    specific = general = 0;
    for (const BindingValue& event : events) {
      if (event.Find("uri").GetString() != list || event.Find("eventType").GetString() != "Update") continue;
      specific += event.Find("name").GetString() == "OnJsonApiEvent_kel-champions_v1_inventories";
      general += event.Find("name").GetString() == "OnJsonApiEvent";
    }
    return specific >= 1 && specific == general;
  };
  ASSERT_EQ(host_->Send("POST", "/host/v1/messages/dynamic-configuration").status, 200);
  host_->ReadEvents(countUpdates, Patience(std::chrono::milliseconds(20000)));
  EXPECT_GE(specific, 1u);
  EXPECT_EQ(specific, general);
}

// The store steps whose messages the host builds from its world.
TEST_F(ChampionInventory, StoreStepsChangeOwnershipAndAnEndedRentalIsNotified) {
  Start({"--login-delay-ms", "0"});
  ASSERT_TRUE(WaitForFullList(kDefaultSummonerId));
  const datagen::GameChampion& champion = World().Champions()[3];
  const std::string path = Champion(kDefaultSummonerId, champion.id);
  const std::string item = R"({"championId": )" + std::to_string(champion.id);
  const auto ownership = [&](const std::string& of) { return host_->Get(of).value.Find("ownership"); };
  const auto soon = Patience(std::chrono::milliseconds(5000));
  ASSERT_EQ(host_->Send("POST", "/host/v1/store/buy", item + "}").status, 200);
  EXPECT_TRUE(WaitFor([&] { return ownership(path).Find("owned").GetBool(); }, soon));
  EXPECT_EQ(host_->Get("/host/v1/notifications").value.Size(), 0u);

  ASSERT_EQ(host_->Send("POST", "/host/v1/store/end-rental", item + "}").status, 200);
  ASSERT_TRUE(WaitFor([&] { return host_->Get("/host/v1/notifications").value.Size() == 1; }, soon));
  const BindingValue notification = host_->Get("/host/v1/notifications").value.Get(0);
  EXPECT_EQ(notification.Find("titleKey").GetString(), "rental_expired_title");
  EXPECT_EQ(notification.Find("data").Find("expiredContentName").GetString(), champion.name);
  EXPECT_FALSE(ownership(path).Find("owned").GetBool());

  ASSERT_EQ(host_->Send("POST", "/host/v1/store/rent", item + R"(, "days": 2})").status, 200);
  ASSERT_TRUE(WaitFor([&] { return ownership(path).Find("rental").Find("rented").GetBool(); }, soon));
  const BindingValue rental = ownership(path).Find("rental");
  EXPECT_EQ(rental.Find("endDate").AsUnsigned() - rental.Find("purchaseDate").AsUnsigned(), 2u * 86400000u);

  const std::string skin = std::to_string(champion.skins.back().id);
  ASSERT_EQ(host_->Send("POST", "/host/v1/store/buy", item + R"(, "skinId": )" + skin + "}").status, 200);
  EXPECT_TRUE(WaitFor([&] { return ownership(path + "/skins/" + skin).Find("owned").GetBool(); }, soon));
  EXPECT_EQ(host_->Send("POST", "/host/v1/store/buy", R"({"championId": 999999})").status, 404);
  EXPECT_EQ(host_->Send("POST", "/host/v1/store/buy", item + R"(, "skinId": 1})").status, 404);
  EXPECT_EQ(host_->Send("POST", "/host/v1/store/rent", item + "}").status, 400);
}

TEST_F(ChampionInventory, GameDataFailuresAreRetriedAndReportedByTelemetry) {
  const int32_t failing = World().Champions()[5].id;
  Start({"--login-delay-ms", "0", "--fail-champion-summary", "1", "--fail-champion",
         std::to_string(failing) + ":1"});
  ASSERT_TRUE(WaitForFullList(kDefaultSummonerId)) << host_->Output();
  const BindingValue telemetry = host_->Get("/host/v1/telemetry").value;
  ASSERT_EQ(telemetry.Size(), 2u);
  EXPECT_EQ(telemetry.Get(0).Find("eventName").GetString(), "zbt_fe_kel_champions_failedLoadingGameData");
  EXPECT_EQ(telemetry.Get(0).Find("properties").Find("retryCount").GetString(), "0");
  EXPECT_EQ(telemetry.Get(1).Find("eventName").GetString(), "zbt_fe_kel_champions_failedLoadingGameDataChampion");
  EXPECT_EQ(telemetry.Get(1).Find("properties").Find("champion").GetString(), std::to_string(failing));
  EXPECT_EQ(host_->Get("/host/v1/log?contains=Error requesting champion summary data").value.Size(), 1u);
}

}  // namespace
}  // namespace kel::host::testing
