#include <gtest/gtest.h>

#include "binding/binding_registry.h"
#include "champions/champion_records.h"
#include "champions/champion_types.h"
#include "champions/drov_wire_records.h"
#include "champions/session_records.h"
#include "runtime/drov_class_names.h"

namespace kel::champions {
namespace {

class ChampionTypes : public ::testing::Test {
 protected:
  ChampionTypes() {
    RegisterDrovWireRecords(registry_, classNames_);
    RegisterPublicRecords(registry_, "KelChampions", {"Plugins", "Plugin kel-champions"});
  }

  std::vector<std::string> FieldNames(std::string_view type) const {
    std::vector<std::string> names;
    const BindingTypeInfo* info = registry_.FindType(type);
    if (info == nullptr) return {"<unregistered>"};
    for (const auto& field : info->fields) names.push_back(field->name);
    return names;
  }

  BindingRegistry registry_;
  DrovClassNames classNames_;
};

bool HasMember(const BindingValue& value, std::string_view key) {
  for (auto [name, member] : value.Members()) {
    if (name == key) return true;
  }
  return false;
}

TEST_F(ChampionTypes, PublicRecordsArePrefixedAndTaggedWireRecordsAreNot) {
  const BindingTypeInfo* champion = registry_.FindType("KelChampionsCollectionsChampion");
  ASSERT_NE(champion, nullptr);
  EXPECT_EQ(champion->tags, (std::vector<std::string>{"Plugins", "Plugin kel-champions"}));
  EXPECT_EQ(registry_.FindType("CollectionsChampion"), nullptr);

  const BindingTypeInfo* wire = registry_.FindType("CollectionsDrovChampionDTO");
  ASSERT_NE(wire, nullptr);
  EXPECT_TRUE(wire->tags.empty());
  EXPECT_EQ(classNames_.Find(wire->typeIdentifier), "com.tesselworks.platform.catalog.champion.ChampionDTO");
  EXPECT_EQ(registry_.FindType("KelChampionsCollectionsDrovChampionDTO"), nullptr);
}

TEST_F(ChampionTypes, FullRecordsStartWithTheMinimalFieldsAndKeepTheFlagsInMemory) {
  const std::vector<std::string> minimal = FieldNames("KelChampionsCollectionsChampionMinimal");
  EXPECT_EQ(minimal, (std::vector<std::string>{"alias", "banVoPath", "chooseVoPath", "disabledQueues", "id", "name",
                                               "ownership", "purchased", "roles", "squarePortraitPath",
                                               "stingerSfxPath", "active", "botEnabled", "freeToPlay",
                                               "rankedPlayEnabled"}));
  std::vector<std::string> full = FieldNames("KelChampionsCollectionsChampion");
  ASSERT_EQ(full.size(), minimal.size() + 3);
  EXPECT_EQ(std::vector<std::string>(full.begin(), full.begin() + 15), minimal);

  const std::vector<std::string> minimalSkin = FieldNames("KelChampionsCollectionsChampionSkinMinimal");
  ASSERT_EQ(minimalSkin.size(), 11u);
  const std::vector<std::string> skin = FieldNames("KelChampionsCollectionsChampionSkin");
  EXPECT_EQ(std::vector<std::string>(skin.begin(), skin.begin() + 11), minimalSkin);
  EXPECT_EQ(skin.size(), 19u);

  CollectionsChampion champion;
  champion.freeToPlayForNewPlayers = true;
  champion.freeToPlayInRotation = true;
  champion.name = "Ahri";
  champion.skins.emplace_back().id = 103000;
  champion.skins[0].name = "Base";
  BindingResult value;
  registry_.ToValue(value, champion);
  ASSERT_TRUE(value.Ok()) << value.Message();
  EXPECT_FALSE(HasMember(value.Value(), "freeToPlayForNewPlayers"));
  EXPECT_FALSE(HasMember(value.Value(), "freeToPlayInRotation"));
  EXPECT_TRUE(HasMember(value.Value(), "freeToPlay"));
  EXPECT_EQ(value.Value().Find("name").GetString(), "Ahri");
  // Inherited fields sit at their offsets inside the derived record.
  EXPECT_EQ(value.Value().Find("skins").Get(0).Find("id").GetSigned(), 103000);
  EXPECT_EQ(value.Value().Find("skins").Get(0).Find("name").GetString(), "Base");
}

TEST_F(ChampionTypes, AbsentOptionalTextsAreWrittenEmptyAndReadBackAbsent) {
  CollectionsChampionSkin skin;
  skin.skinType = "";
  BindingResult value;
  registry_.ToValue(value, skin);
  ASSERT_TRUE(value.Ok()) << value.Message();
  ASSERT_TRUE(HasMember(value.Value(), "splashVideoPath"));
  EXPECT_TRUE(value.Value().Find("splashVideoPath").IsEmpty());
  EXPECT_EQ(value.Value().Find("skinType").Kind(), BindingValueKind::kString);

  BindingValue input;
  input.MakeStructure();
  input.Member("featuresText").SetString("");
  input.Member("skinType");  // empty
  CollectionsChampionSkin read;
  BindingResult assigned;
  registry_.Assign(assigned, read, input, "skin");
  ASSERT_TRUE(assigned.Ok()) << assigned.Message();
  EXPECT_FALSE(read.skinType.has_value());
}

TEST_F(ChampionTypes, LoginSessionStatesConvertByNumber) {
  BindingValue input;
  input.MakeStructure();
  input.Member("state").SetSigned(3);
  LoginSession session;
  BindingResult assigned;
  registry_.Assign(assigned, session, input, "session");
  ASSERT_TRUE(assigned.Ok()) << assigned.Message();
  EXPECT_EQ(session.state, LoginSessionStates::Error);

  input.Member("state").SetString("SUCCEEDED");
  registry_.Assign(assigned, session, input, "session");
  EXPECT_EQ(session.state, LoginSessionStates::Succeeded);
  EXPECT_STREQ(registry_.EnumeratorName(&StaticTypeOf<LoginSessionStates>(), 2), "LOGGING_OUT");
}

}  // namespace
}  // namespace kel::champions
