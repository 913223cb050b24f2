#include <gtest/gtest.h>

#include "champions/champion_records.h"
#include "champions/drov_wire_records.h"
#include "champions/session_records.h"
#include "record_json.h"

namespace kel::champions {
namespace {

using testing::JsonOf;
using testing::Registered;

TEST(ChampionTypes, PublicRecordsArePrefixedAndTaggedWireRecordsAreNot) {
  const BindingTypeInfo* champion = Registered().registry.FindType("KelChampionsCollectionsChampion");
  ASSERT_NE(champion, nullptr);
  EXPECT_EQ(champion->tags, (std::vector<std::string>{"Plugins", "Plugin kel-champions"}));
  EXPECT_EQ(Registered().registry.FindType("CollectionsChampion"), nullptr);

  const BindingTypeInfo* wire = Registered().registry.FindType("CollectionsDrovChampionDTO");
  ASSERT_NE(wire, nullptr);
  EXPECT_TRUE(wire->tags.empty());
  EXPECT_EQ(Registered().classNames.Find(wire->typeIdentifier),
            "com.tesselworks.platform.catalog.champion.ChampionDTO");
  EXPECT_EQ(Registered().registry.FindType("KelChampionsCollectionsDrovChampionDTO"), nullptr);
}

// One record of each kind, nested, pins every public name and the flags
// that stay in memory (freeToPlayForNewPlayers, freeToPlayInRotation).
TEST(ChampionTypes, RecordsAreWrittenWithTheirPublicNamesOnly) {
  CollectionsChampion champion;
  champion.freeToPlayForNewPlayers = true;
  champion.freeToPlayInRotation = true;
  champion.name = "Ahri";
  CollectionsChampionSkin& skin = champion.skins.emplace_back();
  skin.id = 103000;
  skin.chromas.emplace_back().id = 103001;
  skin.emblems.emplace_back().name = "e";
  champion.spells.emplace_back().name = "s";
  EXPECT_EQ(JsonOf(champion),
            R"({"active":false,"alias":"","banVoPath":"","botEnabled":false,"chooseVoPath":"","disabledQueues":[],)"
            R"("freeToPlay":false,"id":0,"name":"Ahri","ownership":{"freeToPlayReward":false,"owned":false,)"
            R"("rental":{"endDate":0,"purchaseDate":0,"rented":false,"winCountRemaining":0}},)"
            R"("passive":{"description":"","name":""},"purchased":0,"rankedPlayEnabled":false,"roles":[],)"
            R"("skins":[{"cardPath":"","championId":0,"chromaPath":null,"chromas":[{"championId":0,)"
            R"("chromaPath":null,"colors":[],"disabled":false,"id":103001,"lastSelected":false,"name":"",)"
            R"("ownership":{"freeToPlayReward":false,"owned":false,"rental":{"endDate":0,"purchaseDate":0,)"
            R"("rented":false,"winCountRemaining":0}},"stillObtainable":false}],"disabled":false,)"
            R"("emblems":[{"emblemPath":{"large":"","small":""},"name":"e","positions":{"horizontal":"",)"
            R"("vertical":""}}],"featuresText":null,"id":103000,"isBase":false,"lastSelected":false,"name":"",)"
            R"("ownership":{"freeToPlayReward":false,"owned":false,"rental":{"endDate":0,"purchaseDate":0,)"
            R"("rented":false,"winCountRemaining":0}},"rarityGemPath":"","skinType":null,"splashPath":"",)"
            R"("splashVideoPath":null,"stillObtainable":false,"tilePath":"","uncenteredSplashPath":""}],)"
            R"("spells":[{"description":"","name":"s"}],"squarePortraitPath":"","stingerSfxPath":""})");
  EXPECT_EQ(JsonOf(CollectionsChampionPlayableCounts{}),
            R"({"championsFreeToPlay":0,"championsFreeToPlayReward":0,"championsOwned":0,"championsRented":0})");
  // The states go by the same numbers as the core's.
  EXPECT_EQ(JsonOf(LoginSession{.state = LoginSessionStates::Error, .summonerId = 5}),
            R"({"accountId":0,"connected":false,"state":"ERROR","summonerId":5})");
}

}  // namespace
}  // namespace kel::champions
