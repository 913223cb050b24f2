#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "datagen/generated_world.h"
#include "datagen/ownership_builder.h"
#include "datagen/ownership_json.h"
#include "tests/datagen/parsed_json.h"

namespace kel::datagen {
namespace {

using testing::ParseJson;

constexpr uint64_t kNow = 1'780'000'000'000ull;

bool HasSource(const std::vector<std::string>& sources, const char* source) {
    return std::find(sources.begin(), sources.end(), source) != sources.end();
}

// One skin record for every skin and chroma of the champion, ascending.
TEST(DatagenOwnership, EverySkinAndChromaHasARecordInIdOrder) {
    const GeneratedWorld world(11);
    const std::vector<ChampionOwnershipRecord> records = world.Ownership(99, kNow);
    ASSERT_EQ(records.size(), world.Champions().size());
    for (size_t i = 0; i < records.size(); ++i) {
        std::vector<int32_t> expected, ids;
        for (const GameSkin& skin : world.Champions()[i].skins) {
            expected.push_back(skin.id);
            for (const GameChroma& chroma : skin.chromas) expected.push_back(chroma.id);
        }
        std::sort(expected.begin(), expected.end());
        for (const SkinOwnershipRecord& skin : records[i].championSkins) ids.push_back(skin.skinId);
        EXPECT_EQ(records[i].championId, world.Champions()[i].id);
        EXPECT_EQ(ids, expected) << "champion " << records[i].championId;
    }
    const rapidjson::Document reply = ParseJson(world.OwnershipReplyJson(99, kNow));
    EXPECT_STREQ(reply["typeName"].GetString(), kChampionDtoClass);
}

// Each rental kind keeps the rental rule's inputs consistent: what makes it
// rented is what the inventory's rule reads.
TEST(DatagenOwnership, MixesEveryKindWithConsistentRentalFields) {
    const GeneratedWorld world(12);
    std::map<OwnershipKind, int> counts;
    int rotationNotOwned = 0, reportedInactive = 0, ownedSkins = 0, rentedSkins = 0;
    for (const ChampionOwnershipRecord& record : world.Ownership(7, kNow)) {
        ++counts[record.kind];
        if (record.freeToPlay && !record.owned) ++rotationNotOwned;
        if (!record.active) ++reportedInactive;
        switch (record.kind) {
            case OwnershipKind::StoreRental:
                EXPECT_FALSE(record.owned);
                EXPECT_TRUE(HasSource(record.sources, "store-rentals"));
                EXPECT_GT(record.endDate, kNow);
                break;
            case OwnershipKind::LegacyRental:
                EXPECT_TRUE(HasSource(record.sources, "legacy-rental"));
                EXPECT_EQ(record.purchaseDate, 0u);
                EXPECT_EQ(record.winCountRemaining, 0);
                EXPECT_GT(record.endDate, kNow);
                EXPECT_LE(record.endDate, kNow + kLegacyRentalMaxMillis);
                break;
            case OwnershipKind::LegacyWinRental:
                EXPECT_TRUE(HasSource(record.sources, "legacy-rental"));
                EXPECT_EQ(record.purchaseDate, 0u);
                EXPECT_EQ(record.endDate, 0u);
                EXPECT_GT(record.winCountRemaining, 0);
                break;
            default:
                break;
        }
        // The base skin follows the champion's ownership.
        const auto base = std::find_if(
            record.championSkins.begin(), record.championSkins.end(),
            [&](const SkinOwnershipRecord& skin) { return skin.skinId == record.championId * 1000; });
        ASSERT_NE(base, record.championSkins.end());
        EXPECT_EQ(base->owned, record.owned);
        for (const SkinOwnershipRecord& skin : record.championSkins) {
            if (skin.skinId != base->skinId && skin.owned) ++ownedSkins;
            if (HasSource(skin.sources, "store-rentals")) ++rentedSkins;
        }
    }
    EXPECT_EQ(counts.size(), 6u);
    EXPECT_GT(counts[OwnershipKind::Purchased], 50);
    EXPECT_GT(counts[OwnershipKind::NeverPurchased], 30);
    EXPECT_GT(rotationNotOwned, 0);
    EXPECT_EQ(reportedInactive, 1);
    EXPECT_GT(ownedSkins, 0);
    EXPECT_GT(rentedSkins, 0);
}

}  // namespace
}  // namespace kel::datagen
