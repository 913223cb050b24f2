#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "flows_rig.h"
#include "datagen/generated_world.h"
#include "world_records.h"

namespace kel::champions {
namespace {

// A generated world of `count` champions, loaded and published for summoner 3
// (with its ownership when `owned` is set).
datagen::GeneratedWorld LoadedWorld(kel::testing::FlowsRig& rig, std::uint32_t count, std::uint64_t seed, bool owned) {
  datagen::WorldOptions options;
  options.championCount = count;
  datagen::GeneratedWorld world(seed, options);
  EXPECT_TRUE(rig.Initialize());
  InventoryStore::Access access = rig.Plugin().Inventory().Lock();
  testing::LoadWorld(access, world, 3);
  if (owned) access.Inventory().ApplyOwnership(testing::OwnershipOf(world, 3, 1000u), 1000u);
  access.FullRefresh();
  return world;
}

void ReadWhile(const kel::testing::FlowsRig& rig, const std::function<bool()>& busy, const char* function,
               const std::string& path, std::size_t size = 0) {
  while (busy()) {
    const kel::testing::TestAnswer answer = rig.Get(function, path);
    EXPECT_FALSE(answer.has_error) << answer.error;
    EXPECT_TRUE(size == 0 || answer.value.Size() == size) << answer.value.Size();
  }
}

// Requests on two threads while a third merges ownership and refreshes: every
// answer is one whole state, never a list caught half-way through a merge.
TEST(InventoryThreads, RequestsSeeWholeStatesWhileTheInventoryChanges) {
  kel::testing::FlowsRig rig;
  const datagen::GeneratedWorld world = LoadedWorld(rig, 20, 5, false);

  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int round = 0; round < 30; ++round) {
      InventoryStore::Access access = rig.Plugin().Inventory().Lock();
      access.Inventory().ApplyOwnership(testing::OwnershipOf(world, 3, 1000u + round), 1000u + round);
      access.FullRefresh();
    }
    done = true;
  });
  const auto busy = [&] { return !done; };
  std::thread champions(ReadWhile, std::cref(rig), busy, "GetKelChampionsV1InventoriesBySummonerIdChampions",
                        "/kel-champions/v1/inventories/3/champions", 20);
  std::thread minimal(ReadWhile, std::cref(rig), busy, "GetKelChampionsV1InventoriesBySummonerIdChampionsMinimal",
                      "/kel-champions/v1/inventories/3/champions-minimal", 20);
  for (std::thread* thread : {&writer, &champions, &minimal}) thread->join();
}

// Two threads read (one champion, the whole list) while two others change a
// skin's ownership, each change numbering itself under the inventory lock.
// Its events go out after the lock is released, yet in the order of the
// changes, each the state its change left: the skin's purchase dates arrive
// in increasing order, every one of them once, in the skin's events and in
// the champion lists (snapshots that later changes copy, never edit).
TEST(InventoryThreads, EventsFollowTheChangesWhileReadersRead) {
  kel::testing::FlowsRig rig;
  const datagen::GeneratedWorld world = LoadedWorld(rig, 4, 9, true);
  const std::int32_t championId = world.Champions().front().id;
  const std::int32_t skinId = championId * 1000;  // the base skin, first in the list
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
  const auto busy = [&] { return writing > 0; };
  std::thread first(writer), second(writer);
  std::thread champion(ReadWhile, std::cref(rig), busy, "GetKelChampionsV1InventoriesBySummonerIdChampionsByChampionId",
                       championPath, 0);
  std::thread list(ReadWhile, std::cref(rig), busy, "GetKelChampionsV1InventoriesBySummonerIdChampions", listUri, 0);
  for (std::thread* thread : {&first, &second, &champion, &list}) thread->join();

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
