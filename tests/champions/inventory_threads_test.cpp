#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
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
    testing::LoadWorld(access, world, 3);
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

// Two threads read (one champion, the whole list) while two others change a
// skin's ownership, each change numbering itself under the inventory lock.
// Its events go out after the lock is released, yet in the order of the
// changes, each the state its change left: the skin's purchase dates arrive
// in increasing order, every one of them once, in the skin's events and in
// the champion lists (snapshots that later changes copy, never edit).
TEST(InventoryThreads, EventsFollowTheChangesWhileReadersRead) {
  datagen::WorldOptions options;
  options.championCount = 4;
  const datagen::GeneratedWorld world(9, options);
  kel::testing::FlowsRig rig;
  ASSERT_TRUE(rig.Initialize());
  std::int32_t championId = 0;
  std::int32_t skinId = 0;
  {
    InventoryStore::Access access = rig.Plugin().Inventory().Lock();
    testing::LoadWorld(access, world, 3);
    access.Inventory().ApplyOwnership(testing::OwnershipOf(world, 3, 1000u), 1000u);
    access.FullRefresh();
    championId = access.Inventory().champions.Get().front().id;
    skinId = access.Inventory().champions.Get().front().skins.front().id;
  }
  const std::string listUri = "/kel-champions/v1/inventories/3/champions";
  const std::string championPath = listUri + "/" + std::to_string(championId);
  const std::string skinUri = championPath + "/skins/" + std::to_string(skinId);
  rig.events.Clear();

  constexpr std::uint64_t kChanges = 60;
  std::uint64_t changed = 0;  // under the inventory lock
  std::atomic<int> writing{2};
  auto writer = [&] {
    for (std::uint64_t i = 0; i < kChanges / 2; ++i) {
      InventoryStore::Access access = rig.Plugin().Inventory().Lock();
      CollectionsOwnership ownership;
      ownership.owned = true;
      ownership.rental.purchaseDate = ++changed;
      access.UpdateSkinOwnership(championId, skinId, ownership);
    }
    --writing;
  };
  auto reader = [&](const char* function, const std::string& path) {
    while (writing > 0) {
      const kel::testing::TestAnswer answer = rig.Get(function, path);
      EXPECT_FALSE(answer.has_error) << answer.error;
    }
  };
  std::thread first(writer), second(writer);
  std::thread champion(reader, "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionId", championPath);
  std::thread list(reader, "GetKelChampionsV1InventoriesBySummonerIdChampions", listUri);
  first.join();
  second.join();
  champion.join();
  list.join();

  const auto purchaseDate = [](const BindingValue& skin) {
    return skin.Find("ownership").Find("rental").Find("purchaseDate").AsUnsigned();
  };
  std::uint64_t skinEvents = 0;
  std::uint64_t listEvents = 0;
  for (const kel::testing::PublishedEvent& event : rig.Published()) {
    if (event.uri == skinUri) {
      EXPECT_EQ(purchaseDate(event.data), ++skinEvents);
    } else if (event.uri == listUri) {
      EXPECT_EQ(purchaseDate(event.data.Get(0).Find("skins").Get(0)), ++listEvents);
    }
  }
  EXPECT_EQ(skinEvents, kChanges);
  EXPECT_EQ(listEvents, kChanges);
}

}  // namespace
}  // namespace kel::champions
