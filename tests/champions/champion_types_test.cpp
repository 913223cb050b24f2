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

// Beyond the names the registrations list: the flags kept in memory stay
// out, unset optional paths are written as null, states go by name.
TEST(ChampionTypes, InMemoryFlagsStayOutUnsetPathsAreNullAndStatesGoByName) {
  CollectionsChampion champion;
  champion.freeToPlayForNewPlayers = true;
  champion.freeToPlayInRotation = true;
  champion.skins.emplace_back().chromas.emplace_back();
  const std::string json = JsonOf(champion);
  EXPECT_EQ(json.find("ForNewPlayers"), std::string::npos) << json;
  EXPECT_EQ(json.find("InRotation"), std::string::npos) << json;
  for (const char* unset : {R"("chromaPath":null,"chromas":[{"championId":0,"chromaPath":null,)",
                            R"("featuresText":null,)", R"("skinType":null,)", R"("splashVideoPath":null,)"}) {
    EXPECT_NE(json.find(unset), std::string::npos) << unset << " in " << json;
  }
  EXPECT_EQ(JsonOf(LoginSession{.state = LoginSessionStates::Error, .summonerId = 5}),
            R"({"accountId":0,"connected":false,"state":"ERROR","summonerId":5})");
}

}  // namespace
}  // namespace kel::champions
