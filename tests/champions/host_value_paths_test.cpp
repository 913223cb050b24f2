#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "champions/inventory_store.h"
#include "champions/published_event.h"
#include "datagen/generated_world.h"
#include "flows_rig.h"
#include "support/same_host_value.h"
#include "world_records.h"

namespace kel::champions {
namespace {

// Every record a route or an event serves, written straight to a HostValue,
// equals what the binding path makes of it, over whole generated worlds.
class HostValuePathsTest : public ::testing::TestWithParam<std::uint32_t> {
 protected:
  template <typename T>
  void ExpectSame(const T& native) {
    EXPECT_TRUE(kel::testing::WriterMatchesBindingPath(rig.Plugin().registry(), native));
  }

  kel::testing::FlowsRig rig;
};

TEST_P(HostValuePathsTest, RouteAndEventRecordsOfAGeneratedWorld) {
  const datagen::GeneratedWorld world(GetParam(), datagen::WorldOptions::Scaled(GetParam()));
  InventoryStore::Access access = rig.Plugin().Inventory().Lock();
  ChampionInventory& inventory = access.Inventory();
  testing::ApplyGameData(inventory, world);
  inventory.ApplyOwnership(testing::OwnershipOf(world, 7, 1'700'000'000'000), 1'700'000'000'000);
  inventory.disabledQueues["ARAM"] = {inventory.champions.Get().front().id};
  inventory.ApplyDisabledChampionsAndQueues();
  inventory.ApplyDisabledSkins();
  inventory.ComputeFreeToPlayAndBaseSkins();
  inventory.RebuildMinimalChampions();

  ExpectSame(inventory.champions.Get());
  ExpectSame(inventory.minimalChampions.Get());
  ExpectSame(inventory.PlayableCounts());
  std::vector<CollectionsChampionSkinMinimal> skins;
  for (const CollectionsChampion& champion : inventory.champions.Get()) {
    skins.insert(skins.end(), champion.skins.begin(), champion.skins.end());
  }
  ExpectSame(skins);
  const CollectionsChampion& champion = inventory.champions.Get().back();
  ExpectSame(champion);
  ExpectSame(champion.skins);
  ExpectSame(champion.skins.back());
  ExpectSame(champion.skins.back().chromas);

  // An event: the PluginResourceEvent record around the payload.
  const BindingRegistry& registry = rig.Plugin().registry();
  PendingPublication publication;
  publication.Add("/kel-champions/v1/inventories/7/champions", PluginResourceEventType::Update, champion.skins);
  const std::unique_ptr<WrittenEvent> event = WriteResourceEvent(registry, publication.Events().front());
  ASSERT_TRUE(event);
  BindingResult data;
  registry.ToValue(data, champion.skins);
  const PluginResourceEvent record{publication.Events().front().uri, PluginResourceEventType::Update, data.Value()};
  EXPECT_TRUE(kel::testing::SameAsBindingPath(registry, record, event->payload));
}

INSTANTIATE_TEST_SUITE_P(Sizes, HostValuePathsTest, ::testing::Values(1u, 4u));

}  // namespace
}  // namespace kel::champions
