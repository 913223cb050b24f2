// What the plug-in's tests and the host rely on in every generated world:
// ids that tell champion, skin and chroma apart, an ownership record for
// every item with rental fields that the inventory's own rule reads as the
// kind says, configuration that names existing items, files holding the
// same texts, and the same bytes from the same seed on every build.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "champions/ownership_rules.h"
#include "datagen/configuration_json.h"
#include "datagen/generated_world.h"
#include "datagen/ownership_json.h"
#include "serialization/json_reader.h"

namespace kel::datagen {
namespace {

constexpr uint64_t kNow = 1'780'000'000'000ull;

BindingValue Parsed(const std::string& text) {
  BindingResult parsed = ParseJson(text.c_str());
  EXPECT_TRUE(parsed.Ok()) << parsed.Message();
  return parsed.Value();
}

// Skins and chromas share one number space; the configuration names
// existing champions and skins, never a base skin.
TEST(DatagenWorld, ItemIdsAreUniqueAndCarryTheirChampionAndTheConfigurationNamesThem) {
  const GeneratedWorld world(21);
  std::set<int32_t> itemIds, configurable;
  int32_t previous = 0;
  for (const GameChampion& champion : world.Champions()) {
    EXPECT_GT(champion.id, std::exchange(previous, champion.id));
    ASSERT_FALSE(champion.skins.empty());
    EXPECT_EQ(champion.skins.front().id, champion.id * 1000);
    EXPECT_TRUE(champion.skins.front().isBase);
    for (const GameSkin& skin : champion.skins) {
      EXPECT_TRUE(skin.chromas.empty() || !skin.isBase) << skin.id;
      std::vector<int32_t> ids = {skin.id};
      for (const GameChroma& chroma : skin.chromas) ids.push_back(chroma.id);
      for (const int32_t id : ids) {
        EXPECT_EQ(id / 1000, champion.id);
        EXPECT_TRUE(itemIds.insert(id).second) << id;
        if (!skin.isBase) configurable.insert(id);
      }
    }
  }
  for (const ResourceText& resource : world.ConfigurationResources()) {
    if (resource.uri == kNewPlayerMaxLevelUri) continue;
    const BindingValue value = Parsed(resource.json);
    ASSERT_TRUE(value.IsCollection()) << resource.uri;
    EXPECT_GT(value.Size(), 0u) << resource.uri;
    for (const BindingValue& id : value.Elements()) {
      const auto number = static_cast<int32_t>(id.AsSigned());
      EXPECT_TRUE(resource.uri == kDisabledSkinsUri ? configurable.count(number) == 1
                                                    : world.FindChampion(number) != nullptr)
          << resource.uri << ": " << number;
    }
  }
}

TEST(DatagenWorld, SkinBoundsShapeTheWorldAndNeverDropTheBaseSkin) {
  for (const uint32_t skins : {0u, 2u}) {
    WorldOptions options;
    options.championCount = 4;
    options.minSkins = options.maxSkins = skins;
    const GeneratedWorld world(5, options);
    ASSERT_EQ(world.Champions().size(), 4u);
    for (const GameChampion& champion : world.Champions()) {
      ASSERT_EQ(champion.skins.size(), std::max(skins, 1u));
      EXPECT_TRUE(champion.skins[0].isBase);
    }
  }
}

TEST(DatagenWorld, OwnershipHasEveryKindAndARecordPerItemThatTheRentalRuleReadsAsItsKind) {
  const GeneratedWorld world(12);
  const std::vector<ChampionOwnershipRecord> records = world.Ownership(7, kNow);
  ASSERT_EQ(records.size(), world.Champions().size());
  std::set<OwnershipKind> kinds;
  for (size_t i = 0; i < records.size(); ++i) {
    const ChampionOwnershipRecord& record = records[i];
    SCOPED_TRACE(record.championId);
    kinds.insert(record.kind);
    std::vector<int32_t> expected, ids;
    for (const GameSkin& skin : world.Champions()[i].skins) {
      expected.push_back(skin.id);
      for (const GameChroma& chroma : skin.chromas) expected.push_back(chroma.id);
    }
    std::sort(expected.begin(), expected.end());
    for (const SkinOwnershipRecord& skin : record.championSkins) ids.push_back(skin.skinId);
    EXPECT_EQ(record.championId, world.Champions()[i].id);
    EXPECT_EQ(ids, expected);
    const bool rental = record.kind == OwnershipKind::StoreRental || record.kind == OwnershipKind::LegacyRental ||
                        record.kind == OwnershipKind::LegacyWinRental;
    EXPECT_EQ(champions::IsRented(record.sources, record.endDate, record.purchaseDate, record.winCountRemaining, kNow),
              rental);
    EXPECT_EQ(record.championSkins.front().owned, record.owned);  // the base skin follows the champion
  }
  EXPECT_EQ(kinds.size(), 6u);
  EXPECT_EQ(Parsed(world.OwnershipReplyJson(7, kNow)).Find("typeName").GetString(), kChampionDtoClass);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(DatagenFiles, WritesTheGameDataFilesAndReportsAPathItCannotUse) {
  const GeneratedWorld world(23);
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kel-datagen-" + std::to_string(::getpid()));
  ASSERT_EQ(world.WriteGameDataFiles(dir), "");
  EXPECT_EQ(ReadFile(dir / "champion-summary.json"), world.ChampionSummaryJson());
  for (const GameChampion& champion : world.Champions()) {
    EXPECT_EQ(ReadFile(dir / "champions" / (std::to_string(champion.id) + ".json")), world.ChampionJson(champion.id));
  }
  const std::filesystem::path blocked = dir / "blocked";
  std::ofstream(blocked) << "x";
  EXPECT_NE(world.WriteGameDataFiles(blocked), "");
  std::filesystem::remove_all(dir);
}

std::string AllText(const GeneratedWorld& world) {
  std::string all = world.ChampionSummaryJson();
  for (const GameChampion& champion : world.Champions()) all += world.ChampionJson(champion.id);
  all += world.OwnershipReplyJson(42, kNow);
  for (const ResourceText& resource : world.ConfigurationResources()) all += resource.json;
  all += world.DynamicConfigurationEventJson();
  return all;
}

TEST(DatagenDeterminism, SameSeedSameBytesOnEveryBuildDifferentSeedDifferentBytes) {
  const std::string first = AllText(GeneratedWorld(7));
  // Pinned so that the 32-bit and 64-bit builds (both run this suite) are
  // known to produce the same world. A deliberate change of the generator
  // updates the number.
  uint32_t hash = 0x811C9DC5u;
  for (unsigned char c : first) hash = (hash ^ c) * 16777619u;
  EXPECT_EQ(hash, 3336934659u);
  EXPECT_NE(first, AllText(GeneratedWorld(8)));
  // Ownership follows the summoner alone, not what was asked before it.
  const GeneratedWorld world(7);
  EXPECT_NE(world.OwnershipReplyJson(43, kNow), world.OwnershipReplyJson(42, kNow));
  EXPECT_EQ(first, AllText(world));
}

}  // namespace
}  // namespace kel::datagen
