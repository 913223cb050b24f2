#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "flows_rig.h"
#include "datagen/generated_world.h"
#include "world_records.h"

namespace kel::champions {
namespace {

// Requests on two threads while a third merges ownership and refreshes: every
// answer is one whole state, never a list caught half-way through a merge.
TEST(InventoryThreads, RequestsSeeWholeStatesWhileTheInventoryChanges) {
  datagen::WorldOptions options;
  options.championCount = 20;
  const datagen::GeneratedWorld world(5, options);
  kel::testing::FlowsRig rig;
  ASSERT_TRUE(rig.Initialize());
  {
    InventoryStore::Access access = rig.Plugin().Inventory().Lock();
    for (GameDataChampion& champion : testing::GameDataOf(world)) {
      access.Inventory().ApplyGameData(std::move(champion));
    }
    access.Session().summonerId = 3;
    access.Session().postLoginTimeoutExpired = true;
    access.FullRefresh();
  }

  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int round = 0; round < 30; ++round) {
      InventoryStore::Access access = rig.Plugin().Inventory().Lock();
      access.Inventory().ApplyOwnership(testing::OwnershipOf(world, 3, 1000u + round), 1000u + round);
      access.FullRefresh();
    }
    done = true;
  });
  auto reader = [&](const char* function, const std::string& path) {
    while (!done) {
      const kel::testing::TestAnswer answer = rig.Get(function, path);
      EXPECT_FALSE(answer.has_error) << answer.error;
      EXPECT_EQ(answer.value.Size(), 20u);
    }
  };
  std::thread champions(reader, "GetKelChampionsV1InventoriesBySummonerIdChampions",
                        "/kel-champions/v1/inventories/3/champions");
  std::thread minimal(reader, "GetKelChampionsV1InventoriesBySummonerIdChampionsMinimal",
                      "/kel-champions/v1/inventories/3/champions-minimal");
  writer.join();
  champions.join();
  minimal.join();
}

}  // namespace
}  // namespace kel::champions
