#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "datagen/generated_world.h"
#include "flows_rig.h"
#include "world_records.h"

namespace kel::champions {
namespace {

using kel::testing::FlowsRig;
using kel::testing::TestAnswer;

constexpr std::uint64_t kNow = 1'780'000'000'000ull;
constexpr std::uint64_t kSummoner = 7;
constexpr const char* kNotReceived = "Champion data has not yet been received.";
constexpr const char* kNotYet = "Champion data does not yet exist.";

// The routes in description order; the last four take a champion.
constexpr const char* kChampions = "GetKelChampionsV1InventoriesBySummonerIdChampions";
constexpr const char* kChampionsMinimal = "GetKelChampionsV1InventoriesBySummonerIdChampionsMinimal";
constexpr const char* kSkinsMinimal = "GetKelChampionsV1InventoriesBySummonerIdSkinsMinimal";
constexpr const char* kPlayableCount = "GetKelChampionsV1InventoriesBySummonerIdChampionsPlayableCount";
constexpr const char* kChampion = "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionId";
constexpr const char* kSkins = "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionIdSkins";
constexpr const char* kSkin = "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionIdSkinsByChampionSkinId";
constexpr const char* kChromas = "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionIdSkinsBySkinIdChromas";

std::string Root(std::uint64_t s) { return "/kel-champions/v1/inventories/" + std::to_string(s); }

struct RouteCall {
  const char* function;
  std::string path;
};
// One request per route for summoner `s`, champion `c` and skin `k`.
std::vector<RouteCall> AllRoutes(std::uint64_t s, std::int32_t c, std::int32_t k) {
  const std::string champion = Root(s) + "/champions/" + std::to_string(c);
  const std::string skin = champion + "/skins/" + std::to_string(k);
  return {{kChampions, Root(s) + "/champions"},
          {kChampionsMinimal, Root(s) + "/champions-minimal"},
          {kSkinsMinimal, Root(s) + "/skins-minimal"},
          {kPlayableCount, Root(s) + "/champions-playable-count"},
          {kChampion, champion},
          {kSkins, champion + "/skins"},
          {kSkin, skin},
          {kChromas, skin + "/chromas"}};
}

void ExpectNotFound(const TestAnswer& answer, const std::string& message) {
  EXPECT_EQ((answer.has_error ? "error " : "no error ") + std::to_string(answer.status) + ": " + answer.error,
            "error 404: " + message);
}

class InventoryRoutesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig_.Initialize()); }

  // The generated inventory, merged and published for kSummoner.
  void Publish() {
    InventoryStore::Access access = rig_.Plugin().Inventory().Lock();
    testing::LoadWorld(access, world_, kSummoner);
    access.Inventory().ApplyOwnership(testing::OwnershipOf(world_, kSummoner, kNow), kNow);
    access.FullRefresh();
  }

  void ExpectNotYet(std::uint64_t summonerId) {
    const std::vector<RouteCall> calls = AllRoutes(summonerId, 1, 1000);
    for (std::size_t i = 0; i < calls.size(); ++i) {
      SCOPED_TRACE(calls[i].path);
      ExpectNotFound(rig_.Get(calls[i].function, calls[i].path), i < 2 ? kNotReceived : kNotYet);
    }
  }

  const datagen::GeneratedWorld world_{11};
  FlowsRig rig_;
};

// Names and order are what the core lists; path arguments are bound by
// name, and every route test below sends a GET, so a wrong name or method
// fails them.
TEST_F(InventoryRoutesTest, RoutesAreDescribedInOrder) {
  const ApiDescription& description = rig_.Description();
  std::vector<std::string> described, expected;
  for (std::uint32_t i = 0; i < description.function_count; ++i)
    described.push_back(description.functions[i].description.name);
  for (const RouteCall& call : AllRoutes(0, 0, 0)) expected.push_back(call.function);
  EXPECT_EQ(described, expected);
  EXPECT_STREQ(description.functions[0].description.result_type_name, "KelChampionsCollectionsChampion");
}

TEST_F(InventoryRoutesTest, EveryRouteAnswersNotYetUntilPublishedAndForOtherSummoners) {
  ExpectNotYet(kSummoner);
  ExpectNotYet(0);
  Publish();
  ExpectNotYet(kSummoner + 1);
  ExpectNotFound(rig_.Get(kChampion, Root(0) + "/champions/1"), kNotYet);
  // A non-numeric summoner never reaches the handler.
  const TestAnswer bad = rig_.Get(kChampions, Root(0) + "x/champions");
  EXPECT_TRUE(bad.has_error);
  EXPECT_NE(bad.error, kNotReceived);
}

TEST_F(InventoryRoutesTest, ServesTheCurrentListInItsStoredOrderAndSaysWhatIsMissing) {
  Publish();
  const std::vector<datagen::GameChampion>& game = world_.Champions();
  const BindingValue champions = rig_.Get(kChampions, Root(kSummoner) + "/champions").value;
  const BindingValue skins = rig_.Get(kSkinsMinimal, Root(kSummoner) + "/skins-minimal").value;
  ASSERT_EQ(champions.Size(), game.size());
  EXPECT_EQ(rig_.Get(kChampionsMinimal, Root(kSummoner) + "/champions-minimal").value.Size(), game.size());
  std::size_t index = 0;
  const datagen::GameSkin* withChromas = nullptr;  // the first skin with chromas
  std::int32_t holder = 0;
  for (std::size_t i = 0; i < game.size(); ++i) {
    EXPECT_EQ(champions.Get(i).Find("name").GetString(), game[i].name);
    for (const datagen::GameSkin& skin : game[i].skins) {
      EXPECT_EQ(skins.Get(index).Find("id").GetSigned(), skin.id);
      EXPECT_EQ(skins.Get(index++).Find("championId").GetSigned(), game[i].id);
      if (withChromas == nullptr && !skin.chromas.empty()) withChromas = &skin, holder = game[i].id;
    }
  }
  EXPECT_EQ(skins.Size(), index);

  ASSERT_NE(withChromas, nullptr);
  const std::vector<RouteCall> found = AllRoutes(kSummoner, holder, withChromas->id);
  EXPECT_EQ(rig_.Get(kChampion, found[4].path).value.Find("id").AsSigned(), holder);
  EXPECT_EQ(rig_.Get(kSkins, found[5].path).value.Size(), world_.FindChampion(holder)->skins.size());
  EXPECT_EQ(rig_.Get(kSkin, found[6].path).value.Find("name").GetString(), withChromas->name);
  const BindingValue chromas = rig_.Get(kChromas, found[7].path).value;
  ASSERT_EQ(chromas.Size(), withChromas->chromas.size());
  EXPECT_EQ(chromas.Get(0).Find("id").GetSigned(), withChromas->chromas[0].id);

  std::int32_t missing = 17;
  while (world_.FindChampion(missing) != nullptr) ++missing;
  const std::vector<RouteCall> noChampion = AllRoutes(kSummoner, missing, missing * 1000);
  const std::vector<RouteCall> noSkin = AllRoutes(kSummoner, holder, 1999);
  for (std::size_t i = 4; i < noChampion.size(); ++i) {
    SCOPED_TRACE(noChampion[i].path);
    ExpectNotFound(rig_.Get(noChampion[i].function, noChampion[i].path),
                   "Champion " + std::to_string(missing) + " does not exist.");
    if (i < 6) continue;
    ExpectNotFound(rig_.Get(noSkin[i].function, noSkin[i].path),
                   "Skin 1999 does not exist for champion " + std::to_string(holder) + ".");
  }

  // The counts follow the current list.
  const std::string path = Root(kSummoner) + "/champions-playable-count";
  const std::uint64_t owned = rig_.Get(kPlayableCount, path).value.Find("championsOwned").GetUnsigned();
  {
    InventoryStore::Access access = rig_.Plugin().Inventory().Lock();
    std::vector<CollectionsChampion>& list = access.Inventory().champions.Edit();
    std::find_if(list.begin(), list.end(), [](auto& c) { return !c.ownership.owned; })->ownership.owned = true;
  }
  EXPECT_EQ(rig_.Get(kPlayableCount, path).value.Find("championsOwned").GetUnsigned(), owned + 1);
}

}  // namespace
}  // namespace kel::champions
