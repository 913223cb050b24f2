#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "datagen/generated_world.h"
#include "tests/datagen/parsed_json.h"

namespace kel::datagen {
namespace {

using testing::ParseJson;

std::set<int32_t> ItemIds(const GeneratedWorld& world) {
    std::set<int32_t> ids;
    for (const GameChampion& champion : world.Champions()) {
        for (const GameSkin& skin : champion.skins) {
            ids.insert(skin.id);
            for (const GameChroma& chroma : skin.chromas) ids.insert(chroma.id);
        }
    }
    return ids;
}

void ExpectChampionIds(const GeneratedWorld& world, const rapidjson::Value& list, size_t size) {
    ASSERT_TRUE(list.IsArray());
    EXPECT_EQ(list.Size(), size);
    for (const rapidjson::Value& id : list.GetArray()) {
        EXPECT_NE(world.FindChampion(id.GetInt()), nullptr) << id.GetInt();
    }
}

TEST(DatagenConfiguration, ResourcesNameExistingChampionsAndSkins) {
    const GeneratedWorld world(21);
    const std::vector<ResourceText> resources = world.ConfigurationResources();
    ASSERT_EQ(resources.size(), 4u);
    EXPECT_EQ(resources[0].uri, kDisabledSkinsUri);
    EXPECT_EQ(resources[1].uri, kInactiveChampionsUri);
    EXPECT_EQ(resources[2].uri, kNewPlayerMaxLevelUri);
    EXPECT_EQ(resources[3].uri, kNewPlayerChampionsUri);

    const rapidjson::Document disabledSkins = ParseJson(resources[0].json);
    ASSERT_TRUE(disabledSkins.IsArray());
    EXPECT_EQ(disabledSkins.Size(), 6u);
    const std::set<int32_t> itemIds = ItemIds(world);
    for (const rapidjson::Value& id : disabledSkins.GetArray()) {
        EXPECT_EQ(itemIds.count(id.GetInt()), 1u) << id.GetInt();
        EXPECT_NE(id.GetInt() % 1000, 0) << "a base skin is never disabled";
    }
    ExpectChampionIds(world, ParseJson(resources[1].json), 2);
    EXPECT_EQ(ParseJson(resources[2].json).GetUint(), 10u);
    ExpectChampionIds(world, ParseJson(resources[3].json), 10);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DatagenFiles, WritesTheGameDataPluginsFiles) {
    const GeneratedWorld world(23);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("kel-datagen-" + std::to_string(::getpid()));
    ASSERT_EQ(world.WriteGameDataFiles(dir), "");
    EXPECT_EQ(ReadFile(dir / "champion-summary.json"), world.ChampionSummaryJson());
    for (const GameChampion& champion : world.Champions()) {
        EXPECT_EQ(ReadFile(dir / "champions" / (std::to_string(champion.id) + ".json")),
                  world.ChampionJson(champion.id));
    }
    // A regular file where the directory should be is reported, not ignored.
    const std::filesystem::path blocked = dir / "blocked";
    std::ofstream(blocked) << "x";
    EXPECT_NE(world.WriteGameDataFiles(blocked), "");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kel::datagen
