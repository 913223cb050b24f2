#include "platform/page_allocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace kel::platform {
namespace {

TEST(PageAllocatorTest, PagesComeFromSixteenPageRegionsThatGoBackWhenEmpty) {
  PageAllocatorStats before = GetPageAllocatorStats();
  std::vector<void*> pages;
  for (std::size_t i = 0; i < kPagesPerRegion + 1; ++i) {
    void* page = AllocatePage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(page) % kPageSize, 0u);
    std::memset(page, 0xAB, kPageSize);
    pages.push_back(page);
  }
  EXPECT_EQ(GetPageAllocatorStats().pages, before.pages + kPagesPerRegion + 1);
  EXPECT_GE(GetPageAllocatorStats().regions, before.regions + 1);
  for (void* page : pages) FreePage(page);
  EXPECT_EQ(GetPageAllocatorStats().pages, before.pages);
  EXPECT_EQ(GetPageAllocatorStats().regions, before.regions);
}

TEST(PageAllocatorTest, ReusesAFreedPageOfAPartlyUsedRegion) {
  void* first = AllocatePage();
  void* second = AllocatePage();
  FreePage(second);
  void* again = AllocatePage();
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(again) & ~(kRegionSize - 1),
            reinterpret_cast<std::uintptr_t>(first) & ~(kRegionSize - 1));
  FreePage(again);
  FreePage(first);
}

}  // namespace
}  // namespace kel::platform
