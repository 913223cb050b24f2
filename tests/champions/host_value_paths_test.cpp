#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "champions/inventory_store.h"
#include "champions/published_event.h"
#include "datagen/generated_world.h"
#include "flows_rig.h"
#include "support/same_host_value.h"
#include "world_records.h"

namespace kel::champions {
namespace {

constexpr std::uint64_t kNow = 1'780'000'000'000ull;
constexpr std::uint64_t kSummoner = 7;

// Routes and events write their HostValues straight from the records; over
// whole generated worlds (the default size and four times it) that must be
// what the binding path makes of the same records, byte for byte and key
// for key, so the core's JSON of either is the same text.
class HostValuePathsTest : public ::testing::TestWithParam<std::uint32_t> {
 protected:
  template <typename T>
  void ExpectSame(const T& native) {
    EXPECT_TRUE(kel::testing::WriterMatchesBindingPath(rig_.Registry(), native));
  }

  kel::testing::FlowsRig rig_;
};

TEST_P(HostValuePathsTest, EveryRouteAnswerAndAnEventOfAGeneratedWorld) {
  const datagen::GeneratedWorld world(2024, datagen::WorldOptions::Scaled(GetParam()));
  InventoryStore::Access access = rig_.Plugin().Inventory().Lock();
  testing::LoadWorld(access, world, kSummoner);
  ChampionInventory& inventory = access.Inventory();
  inventory.ApplyOwnership(testing::OwnershipOf(world, kSummoner, kNow), kNow);
  inventory.disabledQueues["ARAM"] = {inventory.champions.Get().front().id};
  access.FullRefresh();

  const std::vector<CollectionsChampion>& champions = inventory.champions.Get();
  ExpectSame(champions);
  ExpectSame(inventory.minimalChampions.Get());
  ExpectSame(inventory.PlayableCounts());
  std::vector<CollectionsChampionSkinMinimal> skins;
  for (const CollectionsChampion& champion : champions)
    skins.insert(skins.end(), champion.skins.begin(), champion.skins.end());
  ExpectSame(skins);
  const CollectionsChampion& champion = champions.back();
  ExpectSame(champion);
  ExpectSame(champion.skins);
  ExpectSame(champion.skins.back());
  ExpectSame(champion.skins.back().chromas);

  // An event is the PluginResourceEvent record around its payload.
  PendingPublication publication;
  const std::string uri = "/kel-champions/v1/inventories/" + std::to_string(kSummoner) + "/champions";
  publication.Add(uri, PluginResourceEventType::Update, champion.skins);
  const std::unique_ptr<WrittenEvent> event = WriteResourceEvent(rig_.Registry(), publication.Events().front());
  ASSERT_TRUE(event);
  BindingResult data;
  rig_.Registry().ToValue(data, champion.skins);
  const PluginResourceEvent record{uri, PluginResourceEventType::Update, data.Value()};
  EXPECT_TRUE(kel::testing::SameAsBindingPath(rig_.Registry(), record, event->payload));
}

INSTANTIATE_TEST_SUITE_P(WorldSizes, HostValuePathsTest, ::testing::Values(1u, 4u));

}  // namespace
}  // namespace kel::champions
