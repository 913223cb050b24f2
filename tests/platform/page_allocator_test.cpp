#include "platform/page_allocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace kel::platform {
namespace {

std::vector<void*> AllocateRegions(std::size_t regions) {
  std::vector<void*> pages;
  for (std::size_t i = 0; i < regions * kPagesPerRegion; ++i) {
    void* page = AllocatePage();
    EXPECT_NE(page, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(page) % kPageSize, 0u);
    if (page == nullptr) break;
    std::memset(page, 0xAB, kPageSize);
    pages.push_back(page);
  }
  return pages;
}

TEST(PageAllocatorTest, FreedPagesAndEmptyRegionsUpToTheBoundAreHandedOutAgain) {
  ReleasePageReserve();
  PageAllocatorStats before = GetPageAllocatorStats();
  std::vector<void*> pages = AllocateRegions(1);
  ASSERT_EQ(GetPageAllocatorStats().pages, before.pages + kPagesPerRegion);
  for (void* page : pages) FreePage(page);
  EXPECT_EQ(GetPageAllocatorStats().reserved, 1u);
  EXPECT_EQ(GetPageAllocatorStats().regions, before.regions + 1);

  void* again = AllocatePage();
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(again) & ~(kRegionSize - 1),
            reinterpret_cast<std::uintptr_t>(pages[0]) & ~(kRegionSize - 1));
  EXPECT_EQ(GetPageAllocatorStats().reserved, 0u);
  EXPECT_EQ(GetPageAllocatorStats().regions, before.regions + 1);
  // A freed page of a partly used region is handed out again too.
  void* second = AllocatePage();
  FreePage(second);
  EXPECT_EQ(AllocatePage(), second);
  FreePage(second);
  FreePage(again);

  // More empty regions than the reserve ever keeps: the rest go back to the
  // system.
  std::vector<void*> many = AllocateRegions(kMaximumReserve + 2);
  EXPECT_EQ(GetPageAllocatorStats().reserveBound, kMaximumReserve);
  for (void* page : many) FreePage(page);
  EXPECT_EQ(GetPageAllocatorStats().reserved, kMaximumReserve);
  EXPECT_EQ(GetPageAllocatorStats().regions, before.regions + kMaximumReserve);

  ReleasePageReserve();
  EXPECT_EQ(GetPageAllocatorStats().reserved, 0u);
  EXPECT_EQ(GetPageAllocatorStats().regions, before.regions);
}

}  // namespace
}  // namespace kel::platform
