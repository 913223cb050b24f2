#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flows_rig.h"
#include "datagen/generated_world.h"
#include "world_records.h"

namespace kel::champions {
namespace {

using kel::testing::FlowsRig;
using kel::testing::TestAnswer;

constexpr std::uint64_t kNow = 1'780'000'000'000ull;
constexpr std::uint64_t kSummoner = 7;

constexpr const char* kChampions = "GetKelChampionsV1InventoriesBySummonerIdChampions";
constexpr const char* kChampionsMinimal = "GetKelChampionsV1InventoriesBySummonerIdChampionsMinimal";
constexpr const char* kSkinsMinimal = "GetKelChampionsV1InventoriesBySummonerIdSkinsMinimal";
constexpr const char* kPlayableCount = "GetKelChampionsV1InventoriesBySummonerIdChampionsPlayableCount";
constexpr const char* kChampion = "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionId";
constexpr const char* kSkins = "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionIdSkins";
constexpr const char* kSkin = "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionIdSkinsByChampionSkinId";
constexpr const char* kChromas = "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionIdSkinsBySkinIdChromas";

std::string Root(std::uint64_t summonerId) {
  return "/kel-champions/v1/inventories/" + std::to_string(summonerId);
}

// One request per route for summoner `s`, champion `c` and skin `k`.
struct RouteCall {
  const char* function;
  std::string path;
};
std::vector<RouteCall> AllRoutes(std::uint64_t s, std::int32_t c, std::int32_t k) {
  const std::string champion = Root(s) + "/champions/" + std::to_string(c);
  return {{kChampions, Root(s) + "/champions"},
          {kChampionsMinimal, Root(s) + "/champions-minimal"},
          {kSkinsMinimal, Root(s) + "/skins-minimal"},
          {kPlayableCount, Root(s) + "/champions-playable-count"},
          {kChampion, champion},
          {kSkins, champion + "/skins"},
          {kSkin, champion + "/skins/" + std::to_string(k)},
          {kChromas, champion + "/skins/" + std::to_string(k) + "/chromas"}};
}

void ExpectNotFound(const TestAnswer& answer, const std::string& message) {
  EXPECT_TRUE(answer.has_error);
  EXPECT_EQ(answer.status, 404u);
  EXPECT_EQ(answer.error, message);
}

void ExpectNotYet(FlowsRig& rig, std::uint64_t summonerId) {
  const std::vector<RouteCall> calls = AllRoutes(summonerId, 1, 1000);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    SCOPED_TRACE(calls[i].path);
    ExpectNotFound(rig.Get(calls[i].function, calls[i].path),
                   i < 2 ? "Champion data has not yet been received." : "Champion data does not yet exist.");
  }
}

class InventoryRoutesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig_.Initialize()); }

  // The generated inventory, merged and published for kSummoner.
  void Publish() {
    InventoryStore::Access access = rig_.Plugin().Inventory().Lock();
    for (GameDataChampion& champion : testing::GameDataOf(world_)) {
      access.Inventory().ApplyGameData(std::move(champion));
    }
    access.Inventory().ApplyOwnership(testing::OwnershipOf(world_, kSummoner, kNow), kNow);
    access.Session().loggedIn = true;
    access.Session().summonerId = kSummoner;
    access.Session().postLoginTimeoutExpired = true;
    access.FullRefresh();
  }

  const datagen::GeneratedWorld world_{11};
  FlowsRig rig_;
};

TEST_F(InventoryRoutesTest, RoutesAreDescribedInOrderWithPathArgumentsAndTags) {
  const ApiDescription& description = rig_.Description();
  const std::vector<std::string> expected = {
      std::string(kChampions) + "(summonerId)",
      std::string(kChampionsMinimal) + "(summonerId)",
      std::string(kSkinsMinimal) + "(summonerId)",
      std::string(kPlayableCount) + "(summonerId)",
      std::string(kChampion) + "(summonerId,championId)",
      std::string(kSkins) + "(summonerId,championId)",
      std::string(kSkin) + "(summonerId,championId,championSkinId)",
      std::string(kChromas) + "(summonerId,championId,skinId)"};
  std::vector<std::string> described;
  for (std::uint32_t i = 0; i < description.function_count; ++i) {
    const FunctionDescriptor& function = description.functions[i];
    std::string shown = std::string(function.description.name) + "(";
    for (const ArgumentRecord* a = function.description.arguments; a != nullptr; a = a->next) {
      shown += std::string(a->name) + (a->next != nullptr ? "," : "");
    }
    described.push_back(shown + ")");
    // Packed fields are read by value.
    EXPECT_EQ(std::uint32_t{function.method}, static_cast<std::uint32_t>(RequestMethod::kGet));
    ASSERT_EQ(std::uint32_t{function.description.tag_count}, 2u);
    EXPECT_STREQ(function.description.tags[0], "Plugins");
    EXPECT_STREQ(function.description.tags[1], "Plugin kel-champions");
  }
  EXPECT_EQ(described, expected);
  EXPECT_STREQ(description.functions[0].description.result_type_name, "KelChampionsCollectionsChampion");
}

TEST_F(InventoryRoutesTest, EveryRouteAnswersNotYetUntilPublishedAndForOtherSummoners) {
  ExpectNotYet(rig_, kSummoner);
  ExpectNotYet(rig_, 0);
  Publish();
  ExpectNotYet(rig_, kSummoner + 1);
  ExpectNotFound(rig_.Get(kChampion, Root(0) + "/champions/1"), "Champion data does not yet exist.");
  EXPECT_FALSE(rig_.Get(kChampions, Root(kSummoner) + "/champions").has_error);
}

TEST_F(InventoryRoutesTest, ListsAreServedInStoredOrderWithoutTheInMemoryFlags) {
  Publish();
  const TestAnswer champions = rig_.Get(kChampions, Root(kSummoner) + "/champions");
  ASSERT_FALSE(champions.has_error) << champions.error;
  const std::vector<datagen::GameChampion>& game = world_.Champions();
  ASSERT_EQ(champions.value.Size(), game.size());
  for (std::size_t i = 0; i < game.size(); ++i) {
    const BindingValue& champion = champions.value.Get(i);
    EXPECT_EQ(champion.Find("id").GetSigned(), game[i].id);
    EXPECT_EQ(champion.Find("name").GetString(), game[i].name);
    EXPECT_EQ(champion.Find("skins").Size(), game[i].skins.size());
  }

  const TestAnswer minimal = rig_.Get(kChampionsMinimal, Root(kSummoner) + "/champions-minimal");
  ASSERT_EQ(minimal.value.Size(), game.size());
  EXPECT_EQ(minimal.value.Get(3).Find("id").GetSigned(), game[3].id);

  const TestAnswer skins = rig_.Get(kSkinsMinimal, Root(kSummoner) + "/skins-minimal");
  std::size_t index = 0;
  for (const datagen::GameChampion& champion : game) {
    for (const datagen::GameSkin& skin : champion.skins) {
      const BindingValue& served = skins.value.Get(index++);
      EXPECT_EQ(served.Find("id").GetSigned(), skin.id);
      EXPECT_EQ(served.Find("championId").GetSigned(), champion.id);
    }
  }
  EXPECT_EQ(skins.value.Size(), index);
}

TEST_F(InventoryRoutesTest, LookupsAnswerTheItemOrSayWhatIsMissing) {
  Publish();
  const datagen::GameChampion& game = world_.Champions().front();
  const std::int32_t c = game.id;
  const std::string champion = Root(kSummoner) + "/champions/" + std::to_string(c);

  EXPECT_EQ(rig_.Get(kChampion, champion).value.Find("alias").GetString(), game.alias);
  EXPECT_EQ(rig_.Get(kSkins, champion + "/skins").value.Size(), game.skins.size());
  const datagen::GameSkin* withChromas = nullptr;
  std::int32_t holderChampion = 0;
  for (const datagen::GameChampion& each : world_.Champions()) {
    for (const datagen::GameSkin& skin : each.skins) {
      if (withChromas == nullptr && !skin.chromas.empty()) {
        withChromas = &skin;
        holderChampion = each.id;
      }
    }
  }
  ASSERT_NE(withChromas, nullptr);
  const std::string holder = Root(kSummoner) + "/champions/" + std::to_string(holderChampion) + "/skins/" +
                             std::to_string(withChromas->id);
  EXPECT_EQ(rig_.Get(kSkin, holder).value.Find("name").GetString(), withChromas->name);
  const TestAnswer chromas = rig_.Get(kChromas, holder + "/chromas");
  ASSERT_EQ(chromas.value.Size(), withChromas->chromas.size());
  EXPECT_EQ(chromas.value.Get(0).Find("id").GetSigned(), withChromas->chromas[0].id);

  std::int32_t missing = 17;
  while (world_.FindChampion(missing) != nullptr) ++missing;
  const std::vector<RouteCall> missingChampion = AllRoutes(kSummoner, missing, missing * 1000);
  for (std::size_t i = 4; i < missingChampion.size(); ++i) {
    SCOPED_TRACE(missingChampion[i].path);
    ExpectNotFound(rig_.Get(missingChampion[i].function, missingChampion[i].path),
                   "Champion " + std::to_string(missing) + " does not exist.");
  }
  ExpectNotFound(rig_.Get(kSkin, champion + "/skins/1999"),
                 "Skin 1999 does not exist for champion " + std::to_string(c) + ".");
  ExpectNotFound(rig_.Get(kChromas, champion + "/skins/1999/chromas"),
                 "Skin 1999 does not exist for champion " + std::to_string(c) + ".");

  // A non-numeric summoner never reaches the handler.
  const TestAnswer bad = rig_.Get(kChampions, Root(0) + "x/champions");
  EXPECT_TRUE(bad.has_error);
  EXPECT_NE(bad.error, "Champion data has not yet been received.");
}

TEST_F(InventoryRoutesTest, PlayableCountsFollowTheCurrentList) {
  Publish();
  const std::string path = Root(kSummoner) + "/champions-playable-count";
  const std::uint64_t owned = rig_.Get(kPlayableCount, path).value.Find("championsOwned").GetUnsigned();
  {
    InventoryStore::Access access = rig_.Plugin().Inventory().Lock();
    for (CollectionsChampion& champion : access.Inventory().champions) {
      if (!champion.ownership.owned) {
        champion.ownership.owned = true;
        break;
      }
    }
  }
  EXPECT_EQ(rig_.Get(kPlayableCount, path).value.Find("championsOwned").GetUnsigned(), owned + 1);
}

}  // namespace
}  // namespace kel::champions
