#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "binding/binding_value.h"
#include "binding/binding_value_context.h"
#include "platform/page_allocator.h"

namespace kel {
namespace {

const StringPool& Pool(const BindingValue& value) { return value.Context()->strings; }

// A text shared by two values lives until the last of them lets it go; the
// empty text is never pooled. (A copy into another tree is read after its
// source is gone by the value tests, under the address sanitizer.)
TEST(StringPoolTest, EqualTextsShareOneCountedEntry) {
  BindingValue tree;
  tree.Member("a").SetString("shared");
  tree.Member("b").SetString("shared");
  tree.Member("e").SetString("");
  // Keys are interned too: "a", "b", "e" and "shared".
  EXPECT_EQ(Pool(tree).Count(), 4u);
  tree.Member("a").Clear();
  EXPECT_EQ(tree.Find("b").GetString(), "shared");
  tree.Member("b").SetSigned(1);
  EXPECT_EQ(Pool(tree).Find("shared"), nullptr);
  EXPECT_EQ(BindingValue(tree).Find("e").Kind(), BindingValueKind::kString);
}

// Removals in the middle of probe runs must leave every other text findable,
// and a copy must map each text to its own twin.
TEST(StringPoolTest, TextsStayFindableThroughGrowthRemovalAndCopies) {
  BindingValue tree;
  for (int i = 0; i < 300; ++i) tree.Index(i).SetString("s" + std::to_string(i));
  EXPECT_EQ(Pool(tree).Count(), 300u);
  for (int i = 0; i < 300; i += 3) tree.Index(i).SetSigned(i);
  BindingValue copy(tree);
  for (int i = 0; i < 300; ++i) {
    const std::string text = "s" + std::to_string(i);
    const bool kept = i % 3 != 0;
    EXPECT_EQ(Pool(tree).Find(text) != nullptr, kept) << text;
    EXPECT_EQ(copy.Get(i).GetString(), kept ? text : "") << text;
    if (kept) {
      EXPECT_EQ(Pool(copy).Find(text)->references, 1u) << text;
    }
  }
  EXPECT_EQ(Pool(copy).Count(), 200u);
  copy.Clear();
  EXPECT_EQ(Pool(copy).Count(), 0u);
  std::string longText(500, 'q');
  tree.Index(0).SetString(longText);
  EXPECT_EQ(tree.Get(0).GetString(), longText);
}

// Long value texts are kept unshared; every kind of copy must still carry
// them, and a long key is still shared.
TEST(StringPoolTest, LongValueTextsAreUnsharedAndSurviveEveryCopy) {
  const std::string text(StringPool::kSharedValueMax + 1, 'd');
  BindingValue tree;
  tree.Member(text).SetString(text);
  tree.Member("again").SetString(text);
  EXPECT_EQ(Pool(tree).Find(text)->references, 1u);  // the key only
  tree.Member("inner") = tree.Find("again");         // a copy within the tree
  BindingValue fresh(tree);                          // into a tree without strings
  BindingValue busy;
  busy.Member("x").SetString("y");
  busy.Member("copy") = tree;  // into a tree with strings
  tree.Member("again").Clear();
  const BindingValue* roots[] = {&tree, &fresh, &busy.Find("copy")};
  for (const BindingValue* root : roots) {
    EXPECT_EQ(root->Find(text).GetString(), text);
    EXPECT_EQ(root->Find("inner").GetString(), text);
  }
  EXPECT_EQ(fresh.Find("again").GetString(), text);
}

TEST(SmallObjectPoolTest, SmallTreesStayInTheInlinePagesAndLargeOnesGiveThePagesBack) {
  BindingValue tree;
  tree.Member("a").SetSigned(1);
  EXPECT_EQ(tree.Context()->blocks.HeldPages(), 0u);
  for (int i = 0; i < 5000; ++i) tree.Member("k" + std::to_string(i)).SetEnum(i, nullptr);
  EXPECT_GT(tree.Context()->blocks.HeldPages(), 0u);
  tree.Clear();
  EXPECT_EQ(tree.Context()->blocks.HeldPages(), 0u);
}

TEST(SmallObjectPoolTest, ARootDiscardedWholeGivesEveryPageBack) {
  std::size_t before = platform::GetPageAllocatorStats().pages;
  {
    BindingValue tree;
    for (int i = 0; i < 3000; ++i) {
      BindingValue& record = tree.Index(i);
      // Long enough for a heap block rather than a pool block.
      record.Member("name").SetString(std::string(SmallObjectAllocator::kMaxBlockSize, 'h') + std::to_string(i));
      record.Member("bytes").SetBlob("xyz", 3);
      record.Member("list").Index(3).SetEnum(i, nullptr);
    }
    EXPECT_GT(platform::GetPageAllocatorStats().pages, before);
  }
  EXPECT_EQ(platform::GetPageAllocatorStats().pages, before);
}

// More pages than one directory page lists, half of them leaving from the
// middle of the directory before the rest go with the allocator.
TEST(SmallObjectPoolTest, PagesLeavingInAnyOrderAreAllGivenBack) {
  const std::size_t before = platform::GetPageAllocatorStats().pages;
  {
    SmallObjectAllocator blocks;
    constexpr std::size_t kPerPage = 15;  // 256-byte blocks after the page header
    constexpr std::size_t kPages = 1100;
    std::vector<void*> taken;
    for (std::size_t i = 0; i < kPages * kPerPage; ++i) taken.push_back(blocks.Allocate(256));
    EXPECT_EQ(blocks.HeldPages(), kPages);
    for (std::size_t i = 0; i < taken.size(); ++i) {
      if (i / kPerPage % 2 == 0) blocks.Free(taken[i], 256);
    }
    EXPECT_EQ(blocks.HeldPages(), kPages / 2);
    for (std::size_t i = 0; i < kPages * kPerPage / 2; ++i) std::memset(blocks.Allocate(256), 0xA5, 256);
    EXPECT_EQ(blocks.HeldPages(), kPages);
  }
  EXPECT_EQ(platform::GetPageAllocatorStats().pages, before);
}

}  // namespace
}  // namespace kel
