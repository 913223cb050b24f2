#include <gtest/gtest.h>

#include <set>
#include <string>

#include "datagen/generated_world.h"
#include "tests/datagen/parsed_json.h"

namespace kel::datagen {
namespace {

using testing::ParseJson;

bool IsColour(const std::string& text) {
    if (text.size() != 7 || text[0] != '#') return false;
    return text.find_first_not_of("0123456789ABCDEF", 1) == std::string::npos;
}

TEST(DatagenGameData, RealScaleWithBaseSkinsChromasAndEmblems) {
    const GeneratedWorld world(1);
    ASSERT_EQ(world.Champions().size(), 170u);

    std::set<int32_t> itemIds;  // skins and chromas share one number space
    size_t skins = 0, skinsWithChromas = 0, chromas = 0, skinsWithEmblems = 0;
    int32_t previousId = 0;
    for (const GameChampion& champion : world.Champions()) {
        EXPECT_GT(champion.id, previousId);
        previousId = champion.id;
        ASSERT_GE(champion.skins.size(), 8u);
        ASSERT_LE(champion.skins.size(), 15u);
        EXPECT_EQ(champion.skins.front().id, champion.id * 1000);
        EXPECT_TRUE(champion.skins.front().isBase);
        EXPECT_EQ(champion.spells.size(), 4u);
        EXPECT_FALSE(champion.roles.empty());
        for (const GameSkin& skin : champion.skins) {
            EXPECT_EQ(skin.id / 1000, champion.id);
            EXPECT_TRUE(itemIds.insert(skin.id).second) << skin.id;
            ++skins;
            if (!skin.emblems.empty()) ++skinsWithEmblems;
            if (skin.chromas.empty()) continue;
            ++skinsWithChromas;
            EXPECT_FALSE(skin.isBase);
            EXPECT_GE(skin.chromas.size(), 3u);
            EXPECT_LE(skin.chromas.size(), 8u);
            for (const GameChroma& chroma : skin.chromas) {
                EXPECT_EQ(chroma.id / 1000, champion.id);
                EXPECT_TRUE(itemIds.insert(chroma.id).second) << chroma.id;
                ASSERT_FALSE(chroma.colors.empty());
                for (const std::string& colour : chroma.colors) EXPECT_TRUE(IsColour(colour));
                ++chromas;
            }
        }
    }
    EXPECT_GT(skins, 1500u);
    EXPECT_LT(skins, 2000u);
    EXPECT_GT(chromas, 2500u);
    EXPECT_LT(chromas, 3600u);
    EXPECT_GT(skinsWithChromas * 100 / skins, 25u);
    EXPECT_LT(skinsWithChromas * 100 / skins, 42u);
    EXPECT_GT(skinsWithEmblems, 0u);
}

TEST(DatagenGameData, OptionsShapeTheWorld) {
    WorldOptions options;
    options.championCount = 4;
    options.minSkins = options.maxSkins = 2;
    const GeneratedWorld world(5, options);
    ASSERT_EQ(world.Champions().size(), 4u);
    for (const GameChampion& champion : world.Champions()) EXPECT_EQ(champion.skins.size(), 2u);
    ASSERT_NE(world.FindChampion(world.Champions()[2].id), nullptr);
    EXPECT_EQ(world.FindChampion(world.Champions()[2].id)->name, world.Champions()[2].name);

    // Bounds below the base skin still give every champion its base skin.
    options.minSkins = options.maxSkins = 0;
    const GeneratedWorld bare(5, options);
    for (const GameChampion& champion : bare.Champions()) {
        ASSERT_EQ(champion.skins.size(), 1u);
        EXPECT_TRUE(champion.skins[0].isBase);
    }
}

}  // namespace
}  // namespace kel::datagen
