// Ownership loads, store and rental messages with the rental-expired
// notification, and legacy-rental timers.
#include <gtest/gtest.h>

#include <string>

#include "flows_rig.h"
#include "platform/clock.h"
#include "runtime/event_names.h"

namespace kel::testing {
namespace {

constexpr const char* kNotifications = "/player-notifications/v1/notifications";
constexpr const char* kStoreClass = "com.tesselworks.platform.messaging.StoreFulfillmentNotification";
constexpr const char* kRentalClass = "com.tesselworks.platform.messaging.RentalUpdateNotification";

std::string Reply(const std::string& records) {
  return R"({"typeName":"com.tesselworks.platform.catalog.champion.ChampionDTO","body":[)" + records + "]}";
}

std::string Message(const char* type, const std::string& data) {
  return std::string(R"({"inventoryType":")") + type + R"(","data":)" + data + "}";
}

std::string LegacyRental(int id, uint64_t endDate, uint64_t purchaseDate = 0) {
  return R"({"championId":)" + std::to_string(id) + R"(,"sources":["legacy-rental"],"endDate":)" +
         std::to_string(endDate) + R"(,"purchaseDate":)" + std::to_string(purchaseDate) + "}";
}

// Logged in as summoner 5 and published, with champion 1 ("One": base skin
// 1000, skin 1001 "Fancy" holding chroma 1002) owned.
class OwnershipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.AnswerJson(kSessionUri, R"({"state":"SUCCEEDED","summonerId":5,"accountId":6})");
    rig.AnswerJson("/kel-game-data/assets/v1/champion-summary.json", R"([{"id":1}])");
    rig.AnswerJson("/kel-game-data/assets/v1/champions/1.json",
                   R"({"id":1,"name":"One","skins":[{"id":1000,"name":"Base"},)"
                   R"({"id":1001,"name":"Fancy","chromas":[{"id":1002}]}]})");
    rig.AnswerJson(kInvokeUrl, Reply(R"({"championId":1,"owned":true})"));
    ASSERT_TRUE(rig.Initialize());
    rig.RunLoaders();
    ASSERT_TRUE(rig.Run(kTimeoutTask));
  }

  std::vector<std::string> Notifications() const {
    std::vector<std::string> bodies;
    for (const SentRequest& request : rig.RequestsTo(kNotifications)) bodies.push_back(ToJson(request.arguments.at(0)));
    return bodies;
  }
  static std::string Notification(const std::string& name) {
    return R"({"backgroundUrl":"","critical":false,"data":{"expiredContentName":")" + name +
           R"("},"detailKey":"rental_expired_detail",)"
           R"("iconUrl":"fe/kel-player-notifications/images/notifications_button_icon.png","id":0,)"
           R"("source":"rentals","state":"toast","titleKey":"rental_expired_title","type":"game"})";
  }

  FlowsRig rig;
  const std::string champions = "/kel-champions/v1/inventories/5/champions";
};

TEST_F(OwnershipTest, RequestsCoalesceAFailedLoadKeepsTheDataAndARequestDuringARunWaitsItsTurn) {
  rig.AnswerError(kInvokeUrl, "relay down");
  rig.Resource(kLoyaltyUri, kUpdate, "{}");
  rig.Resource(kLoyaltyUri, kUpdate, "{}");
  EXPECT_EQ(rig.Pending(kOwnershipTask), 1u);
  ASSERT_TRUE(rig.Run(kOwnershipTask));
  EXPECT_TRUE(
      rig.Logged("Error requesting champions: Error response for POST /kel-login/v1/session/invoke: relay down"));
  rig.Resource(kSummonerUri, kUpdate, R"({"summonerLevel":3})");
  EXPECT_TRUE(rig.Latest(champions).Get(0).Find("ownership").Find("owned").GetBool());

  // A loyalty change delivered on the task's own thread in the middle of the
  // remote call must neither block nor be lost.
  rig.AnswerJson(kInvokeUrl, Reply(R"({"championId":1,"owned":false})"));
  rig.Resource(kLoyaltyUri, kUpdate, "{}");
  bool delivered = false;
  rig.script.onRequest = [&](const SentRequest& request) {
    if (request.url != kInvokeUrl || delivered) return;
    delivered = true;
    rig.Resource(kLoyaltyUri, kUpdate, "{}");
  };
  ASSERT_TRUE(rig.Run(kOwnershipTask));
  EXPECT_FALSE(rig.Latest(champions).Get(0).Find("ownership").Find("owned").GetBool());
  EXPECT_EQ(rig.Pending(kOwnershipTask), 1u);
}

TEST_F(OwnershipTest, ARentalUpdateThatEndsAnItemNotifiesThePlayerWithItsNameAndOtherMessagesChangeNothing) {
  // Messages of other types, or with data that does not convert.
  const size_t published = rig.Published().size();
  rig.Drov(kRentalClass, Message("champion", R"({"championId":1})"));
  rig.Drov(kRentalClass, Message("CHAMPION", R"({"championId":"one"})"));
  rig.Drov(kRentalClass, Message("CHAMPION_SKIN", R"({"skinId":[1]})"));
  EXPECT_TRUE(rig.Logged("Failed to convert store fulfillment data to championDto."));
  EXPECT_TRUE(rig.Logged("Failed to convert store fulfillment data to championSkinDto."));
  EXPECT_EQ(rig.Published().size(), published);

  // Still rented through the store: no notification.
  rig.Drov(kRentalClass, Message("CHAMPION", R"({"championId":1,"sources":["store-rentals"]})"));
  EXPECT_TRUE(rig.Latest(champions).Get(0).Find("ownership").Find("rental").Find("rented").GetBool());
  // A store fulfilment never notifies, whatever it leaves.
  rig.Drov(kStoreClass, Message("CHAMPION", R"({"championId":1})"));
  EXPECT_TRUE(Notifications().empty());

  rig.Drov(kRentalClass, Message("CHAMPION", R"({"championId":1})"));
  rig.Drov(kRentalClass, Message("CHAMPION_SKIN", R"({"championId":1,"skinId":1001})"));
  rig.Drov(kRentalClass, Message("CHAMPION_SKIN", R"({"championId":1,"skinId":1002})"));
  rig.Drov(kRentalClass, Message("CHAMPION", R"({"championId":99})"));
  EXPECT_EQ(Notifications(),
            (std::vector<std::string>{Notification("One"), Notification("Fancy"), Notification(""), Notification("")}));
  EXPECT_FALSE(rig.Latest(champions).Get(0).Find("ownership").Find("rental").Find("rented").GetBool());
  EXPECT_EQ(rig.Latest("/kel-champions/v1/inventories/5/champions/1/skins/1001/chromas").Size(), 1u);
  EXPECT_EQ(rig.Latest("/kel-champions/v1/inventories/5/champions/1/skins/1001").Find("name").GetString(), "Fancy");
}

// A skin's change goes out as the list, the champion's skins and the skin; a
// chroma's as the list and its holder's chromas; each under its own name,
// then under the general one.
TEST_F(OwnershipTest, ASkinMessagePublishesTheSkinOrTheChromasOfItsHolder) {
  const std::string one = champions + "/1";
  const std::pair<int, std::vector<std::string>> cases[] = {
      {1001, {champions, one + "/skins", one + "/skins/1001"}},
      {1002, {champions, one + "/skins/1001/chromas"}},
  };
  for (const auto& [item, uris] : cases) {
    SCOPED_TRACE(item);
    rig.events.Clear();
    rig.Drov(kStoreClass,
             Message("CHAMPION_SKIN", R"({"championId":1,"owned":true,"skinId":)" + std::to_string(item) + "}"));
    const std::vector<PublishedEvent> all = rig.events.All();
    std::vector<std::string> sent, expected;
    for (const PublishedEvent& event : all) sent.push_back(event.eventType + " " + event.name + " " + event.uri);
    for (const std::string& uri : uris) {
      expected.push_back("Update " + ResourceEventName(uri) + " " + uri);
      expected.push_back("Update OnJsonApiEvent " + uri);
    }
    EXPECT_EQ(sent, expected);
    // The skin itself, or the holder's chromas with the chroma first.
    const BindingValue& changed = item == 1001 ? all.back().data : all.back().data.Get(0);
    EXPECT_EQ(changed.Find("id").AsSigned(), item);
    EXPECT_TRUE(changed.Find("ownership").Find("owned").GetBool());
  }
  EXPECT_EQ(rig.Latest(champions).Get(0).Find("skins").Size(), 2u) << "the chroma became a skin";

  rig.events.Clear();
  rig.Drov(kStoreClass, Message("CHAMPION_SKIN", R"({"championId":5,"skinId":5000})"));
  rig.Drov(kStoreClass, Message("CHAMPION_SKIN", R"({"championId":1,"skinId":1999})"));
  EXPECT_TRUE(rig.events.All().empty());
  EXPECT_TRUE(rig.Logged("Failed to find champion 5."));
  EXPECT_TRUE(rig.Logged("Failed to find champion skin or chroma 1999."));
}

TEST_F(OwnershipTest, LegacyRentalsFromLoadsOrStoreMessagesEndOnTimeOncePerTimer) {
  const uint64_t now = platform::WallClockMilliseconds();
  rig.AnswerJson(kInvokeUrl, Reply(LegacyRental(1, now + 3'600'000) + "," + LegacyRental(2, now - 1) + "," +
                                   LegacyRental(3, now + 3'600'000, 17)));
  for (int load = 0; load < 2; ++load) {
    rig.Resource(kLoyaltyUri, kUpdate, "{}");
    ASSERT_TRUE(rig.Run(kOwnershipTask));
  }
  EXPECT_EQ(rig.Pending(kTimerTask), 2u);
  EXPECT_NEAR(rig.DelayOf(kTimerTask), 3600.0, 5.0);
  EXPECT_TRUE(rig.Logged("CollectionPlugins: legacy rental for champion 1 will expire in 3"));
  EXPECT_TRUE(rig.Latest(champions).Get(0).Find("ownership").Find("rental").Find("rented").GetBool());

  for (int timer = 0; timer < 2; ++timer) {
    rig.events.Clear();
    ASSERT_TRUE(rig.Run(kTimerTask));
    const auto events = rig.Published();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].eventType + " " + events[0].uri, "Update " + champions + "/1");
    EXPECT_FALSE(events[0].data.Find("ownership").Find("rental").Find("rented").GetBool());
    EXPECT_EQ(events[1].uri, champions + "-playable-count");
  }
  EXPECT_TRUE(rig.Logged("CollectionPlugins: legacy rental for champion 1 expired."));

  // A store message starts one too, however far in the future it ends.
  rig.Drov(kStoreClass, Message("CHAMPION", LegacyRental(1, 18'000'000'000'000'000'000u)));
  ASSERT_EQ(rig.Pending(kTimerTask), 1u);
  // The due time saturates instead of wrapping round to now.
  EXPECT_GT(rig.DelayOf(kTimerTask), 1e9);
}

}  // namespace
}  // namespace kel::testing
