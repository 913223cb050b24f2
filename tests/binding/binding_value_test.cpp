#include "binding/binding_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "binding/binding_result.h"
#include "binding/binding_value_context.h"
#include "platform/page_allocator.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"
#include "support/binding_values.h"

namespace kel {
namespace {

std::vector<std::string> Keys(const BindingValue& value) {
  std::vector<std::string> keys;
  for (auto [key, member] : value.Members()) keys.emplace_back(key);
  return keys;
}

TEST(BindingValueTest, StrictGettersReadOnlyTheirOwnKindLenientOnesAndTextsConvert) {
  using namespace testing;
  EXPECT_EQ(SignedValue(-5).GetSigned(7), -5);
  EXPECT_EQ(SignedValue(-5).GetUnsigned(7), 7u);
  EXPECT_EQ(SignedValue(-5).GetString("x"), "x");
  EXPECT_EQ(TextValue("abc").GetString().data()[3], '\0');
  EXPECT_EQ(TextValue("abc").GetSigned(9), 9);
  EXPECT_EQ(BoolValue(true).GetEnum({4, nullptr}).value, 4);
  // The lenient readings convert what they can; only kinds without a number
  // take the fallback.
  for (const auto& [value, number] : {std::pair{TextValue("0x10"), std::int64_t{16}},
                                      {TextValue("010"), 8},
                                      {TextValue("abc"), 0},
                                      {FloatValue(std::nan("")), 0},
                                      {FloatValue(1e300), INT64_MAX},
                                      {StructureValue({}), 42}}) {
    EXPECT_EQ(value.AsSigned(42), number) << WriteJson(value);
  }
  // The blob's other paddings are read through the MessagePack tests.
  for (const auto& [value, text] : {std::pair{FloatValue(1.5), "1.500000"},
                                    {SignedValue(INT64_MIN), "-9223372036854775808"},
                                    {StructureValue({{"a", SignedValue(1)}}), ""}}) {
    EXPECT_EQ(value.AsText(), text);
  }
  BindingValue blob;
  blob.SetBlob("ab", 2);
  EXPECT_EQ(blob.AsText(), "YWI=");
  EXPECT_EQ(FloatValue(-1.7976931348623157e308).AsText().size(), 317u);  // sign, 309 digits, point, 6 decimals
}

// Keys above every ASCII byte, alike in their first eight bytes, with a NUL
// byte, and the empty key.
TEST(BindingValueTest, StructuresKeepUnsignedByteOrderAndFindEveryMember) {
  using namespace std::string_view_literals;
  BindingValue alike;
  for (std::string_view key :
       {"squarePortraitB"sv, "\xC3\xA9"sv, "squarePo"sv, "squarePortraitA"sv, "b"sv, "ab"sv, "ab\0"sv, "B"sv, ""sv}) {
    alike.Member(key).SetString(key);
  }
  EXPECT_EQ(Keys(alike), (std::vector<std::string>{"", "B", "ab", std::string("ab\0", 3), "b", "squarePo",
                                                   "squarePortraitA", "squarePortraitB", "\xC3\xA9"}));
  EXPECT_EQ(alike.Find("ab\0"sv).GetString(), "ab\0"sv);
  EXPECT_EQ(alike.Find("squarePortraitA").GetString(), "squarePortraitA");
  EXPECT_EQ(alike.Member("b").GetString(), "b");  // an existing member, not a new one
  EXPECT_EQ(alike.Size(), 9u);
  BindingValue value;
  std::vector<std::string> expected;
  for (int i = 0; i < 2000; ++i) {
    std::string key = std::to_string((i * 7919) % 2000);
    value.Member(key).SetSigned((i * 7919) % 2000);
    expected.push_back(key);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Keys(value), expected);
  for (int i = 0; i < 2000; ++i) EXPECT_EQ(value.Find(std::to_string(i)).GetSigned(-1), i);
  EXPECT_TRUE(value.Find("2000").IsEmpty());
}

TEST(BindingValueTest, IndexGrowsWithEmptyElements) {
  BindingValue value = testing::TextValue("dropped");
  EXPECT_FALSE(value.Reserve(3));  // not a collection
  EXPECT_EQ(&value.Find("a"), &BindingValue::EmptyValue());
  value.Index(3).SetSigned(9);
  EXPECT_EQ(WriteJson(value), "[null,null,null,9]");
  EXPECT_FALSE(value.Reserve(kMaxCollectionSize + 1));
  value.MakeCollection();  // an existing collection stays as it is
  EXPECT_EQ(value.Size(), 4u);
  // Storage moves from a pool block to the heap as it grows; nothing is lost.
  BindingValue grown;
  for (int i = 0; i < 40; ++i) grown.Append().SetString("e" + std::to_string(i));
  BindingValue copy(grown);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(copy.Get(i).GetString(), "e" + std::to_string(i));
}

// A sample tree as JSON (the blob in base64).
constexpr const char* kSample =
    R"({"blob":"eHl6","id":34,"name":"Anivia","skins":[{"id":0,"name":"skin 0"},{"id":1,"name":"skin 1"},)"
    R"({"id":2,"name":"skin 2"},{"id":3,"name":"skin 3"},{"id":4,"name":"skin 4"},null]})";

BindingValue MakeSample() {
  BindingValue value = ParseJson(kSample).Value();
  value.Member("blob").SetBlob("xyz", 3);
  return value;
}

// Copies and moves within one tree survive aliasing too.
TEST(BindingValueTest, CopiesAreDeepAndMovesSwapRootsButCopyAndClearAChild) {
  BindingValue source = MakeSample();
  BindingValue copy = testing::StructureValue({{"old", testing::SignedValue(1)}});
  copy = source;
  EXPECT_TRUE(copy.Find("old").IsEmpty());
  source.Clear();
  EXPECT_EQ(WriteJson(copy), kSample);
  const BindingValueContext* context = copy.Context();
  BindingValue target = testing::TextValue("before");
  target = std::move(copy);
  EXPECT_EQ(target.Context(), context);
  EXPECT_TRUE(copy.IsEmpty());
  BindingValue constructed(std::move(target));
  EXPECT_EQ(WriteJson(constructed), kSample);
  BindingValue tree = MakeSample();
  BindingValue other;
  other = std::move(tree.Member("skins"));
  EXPECT_EQ(other.Size(), 6u);
  EXPECT_TRUE(tree.Find("skins").IsEmpty());
  tree.Member("moved") = std::move(other);
  EXPECT_EQ(tree.Find("moved").Size(), 6u);
  EXPECT_TRUE(other.IsEmpty());
  tree = tree.Find("moved").Get(1);  // the source lies inside the target
  EXPECT_EQ(tree.Find("name").GetString(), "skin 1");
  BindingValue nested = MakeSample();
  nested.Member("self") = nested;       // the target lies inside the source
  std::string withEmptySelf = kSample;  // the member existed, empty, when it was copied
  withEmptySelf.insert(withEmptySelf.find(R"("skins")"), R"("self":null,)");
  EXPECT_EQ(WriteJson(nested.Find("self")), withEmptySelf);
  BindingValue moved = MakeSample();
  moved = std::move(moved.Member("skins").Index(2));
  EXPECT_EQ(moved.Find("name").GetString(), "skin 2");
}

TEST(BindingResultTest, FailureShapeAndReplacement) {
  BindingResult result;
  EXPECT_TRUE(result.Ok());
  result.Value().SetSigned(3);
  result.Fail("first");
  EXPECT_FALSE(result.Ok());
  EXPECT_EQ(result.Value().Size(), 1u);  // only {error}
  result.Fail(result.Message());         // its own message, read while it is replaced
  EXPECT_EQ(result.Message(), "first");
  result.Value().Member("error").SetSigned(1);
  EXPECT_EQ(result.Message(), "");
}

// The value tree's storage: the string pool and the small-object pages.
const StringPool& Pool(const BindingValue& value) { return value.Context()->strings; }

// A text shared by two values lives until the last of them lets it go; the
// empty text is never pooled. (A copy into another tree is read after its
// source is gone by the value tests, under the address sanitizer.)
TEST(StringPoolTest, EqualTextsShareOneCountedEntryAndStayFindableThroughGrowthRemovalAndCopies) {
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

  // Removals in the middle of probe runs must leave every other text
  // findable, and a copy must map each text to its own twin.
  tree.Clear();
  for (int i = 0; i < 300; ++i) tree.Index(i).SetString("s" + std::to_string(i));
  EXPECT_EQ(Pool(tree).Count(), 300u);
  for (int i = 0; i < 300; i += 3) tree.Index(i).SetSigned(i);
  BindingValue copy(tree);
  for (int i = 0; i < 300; ++i) {
    const std::string text = "s" + std::to_string(i);
    const bool kept = i % 3 != 0;
    EXPECT_EQ(Pool(tree).Find(text) != nullptr, kept) << text;
    EXPECT_EQ(copy.Get(i).GetString(), kept ? text : "") << text;
    EXPECT_TRUE(!kept || Pool(copy).Find(text)->references == 1u) << text;
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
  BindingValue busy = testing::StructureValue({{"x", testing::TextValue("y")}, {"copy", tree}});  // a tree with strings
  tree.Member("again").Clear();
  for (const BindingValue* root : {&std::as_const(tree), &std::as_const(fresh), &busy.Find("copy")}) {
    EXPECT_EQ(root->Find(text).GetString(), text);
    EXPECT_EQ(root->Find("inner").GetString(), text);
  }
  EXPECT_EQ(fresh.Find("again").GetString(), text);
}

// A root discarded whole gives every page back; so do more pages than one
// directory page lists, half of them leaving from the middle of the
// directory before the rest go with the allocator.
TEST(SmallObjectPoolTest, SmallTreesStayInTheInlinePagesAndPagesLeavingInAnyOrderAreAllGivenBack) {
  const std::size_t before = platform::GetPageAllocatorStats().pages;
  {
    BindingValue tree;
    tree.Index(0).SetSigned(1);
    EXPECT_EQ(tree.Context()->blocks.HeldPages(), 0u);
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
  {
    SmallObjectAllocator blocks;
    constexpr std::size_t kPerPage = 15;  // 256-byte blocks after the page header
    constexpr std::size_t kPages = 1100;
    std::vector<void*> taken;
    for (std::size_t i = 0; i < kPages * kPerPage; ++i) taken.push_back(blocks.Allocate(256));
    EXPECT_EQ(blocks.HeldPages(), kPages);
    for (std::size_t i = 0; i < taken.size(); i += 2 * kPerPage) {
      for (std::size_t j = i; j < i + kPerPage; ++j) blocks.Free(taken[j], 256);
    }
    EXPECT_EQ(blocks.HeldPages(), kPages / 2);
    for (std::size_t i = 0; i < kPages * kPerPage / 2; ++i) std::memset(blocks.Allocate(256), 0xA5, 256);
    EXPECT_EQ(blocks.HeldPages(), kPages);
  }
  EXPECT_EQ(platform::GetPageAllocatorStats().pages, before);
}

}  // namespace
}  // namespace kel
