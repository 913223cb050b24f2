#include "binding/host_value_conversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "binding/binding_registry.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"
#include "support/binding_values.h"
#include "support/same_host_value.h"

namespace kel {
namespace {

enum class Color : std::int32_t { Red = 0, Green = 1 };

HostValue Reference(std::uint32_t kind, const void* pointer, std::uint32_t count) {
  HostValue value{};
  value.kind = kind;
  value.payload.reference = {pointer, count};
  return value;
}
HostValue MakeText(const char* text, std::uint32_t kind = kHostValueBorrowedString) {
  return Reference(kind, text, static_cast<std::uint32_t>(std::strlen(text)));
}

BindingResult From(const HostValue& host, const char* name = "v") {
  BindingResult result;
  FromHostValue(result, host, name);
  return result;
}

TEST(HostValueTest, EveryKindGoesOutAndComesBackAndTextsEndAtTheirTerminator) {
  BindingValue value =
      ParseJson(R"({"b":true,"i":-4,"u":18446744073709551615,"f":0.25,"s":"text","n":null,"list":[null,null,"third"]})")
          .Value();
  value.Member("x").SetBlob("\0\1\2", 3);
  BindingResult out;
  HostValue host;
  ToHostValue(out, value, host);
  ASSERT_TRUE(out.Ok());
  ASSERT_EQ(+host.kind, kHostValueMap);
  ASSERT_EQ(+host.payload.reference.count, 8u);
  const HostValueMapEntry* entries = static_cast<const HostValueMapEntry*>(host.payload.reference.pointer);
  EXPECT_STREQ(entries[0].key, "b");  // key order
  EXPECT_EQ(+entries[0].owns_key, 1);
  EXPECT_EQ(+entries[1].value.kind, kHostValueFloat);
  EXPECT_EQ(+entries[5].value.kind, kHostValueOwnedString);
  EXPECT_EQ(+entries[5].value.payload.reference.count, 4u);
  EXPECT_EQ(testing::JsonOf(From(host)), R"({"b":true,"f":0.25,"i":-4,"list":[null,null,"third"],"n":null,"s":"text",)"
                                         R"("u":18446744073709551615,"x":"AAEC"})");
  ReleaseHostValue(host);
  HostValue zero{};
  EXPECT_EQ(std::memcmp(&host, &zero, sizeof host), 0);
  HostValue text = MakeText("abc");
  text.payload.reference.count = 99;  // the length is not used
  EXPECT_EQ(From(text).Value().GetString(), "abc");
}

// Maps become key-ordered structures. Entries are assigned in order: of two
// with one key the later wins, whole (its array replaces the earlier one
// instead of adding to it).
TEST(HostValueTest, MapsBecomeKeyOrderedAndARepeatedKeyTakesTheLaterValue) {
  HostValue first_list[2] = {MakeText("x"), MakeText("y")};
  HostValue second_list[1] = {MakeText("z")};
  HostValueMapEntry entries[4] = {{"list", Reference(kHostValueArray, first_list, 2), 0},
                                  {"a", MakeText("first", kHostValueOwnedString), 0},
                                  {"a", MakeText("second"), 0},
                                  {"list", Reference(kHostValueArray, second_list, 1), 0}};
  EXPECT_EQ(testing::JsonOf(From(Reference(kHostValueMap, entries, 4))), R"({"a":"second","list":["z"]})");
}

TEST(HostValueTest, UnknownKindsAndUnreservableCountsFail) {
  HostValue odd{};
  odd.kind = 11;
  BindingResult result;
  result.Value().SetSigned(1);
  FromHostValue(result, odd, "body");
  EXPECT_EQ(result.Message(),
            "Couldn't assign value to 'body' of type object because the input is of an incompatible type ''.");
  HostValue elements[2] = {MakeText("ok"), odd};
  const BindingResult nested = From(Reference(kHostValueArray, elements, 2));
  EXPECT_FALSE(nested.Ok());
  EXPECT_EQ(nested.Value().Size(), 1u);  // only {error}
  EXPECT_EQ(testing::FailureOf(From(Reference(kHostValueArray, elements, 0x10000000u), "list")),
            "Couldn't assign value to 'list' because the input holds 268435456 elements, more than can be reserved.");
}

// The copy converted is the deep copy's only reader.
TEST(HostValueTest, DeepTreesCopyClearConvertAndReleaseWithoutRecursion) {
  constexpr int kDepth = 100000;
  BindingValue root;
  BindingValue* node = &root;
  for (int i = 0; i < kDepth; ++i) node = i % 2 == 0 ? &node->Index(0) : &node->Member("k");
  node->SetSigned(5);
  const BindingValue copy(root);
  root.Clear();
  EXPECT_TRUE(root.IsEmpty());
  BindingResult result;
  HostValue host;
  ToHostValue(result, copy, host);
  ASSERT_TRUE(result.Ok());
  const BindingResult back = From(host);
  ASSERT_TRUE(back.Ok());
  const BindingValue* walk = &back.Value();
  for (int i = 0; i < kDepth; ++i) walk = i % 2 == 0 ? &walk->Get(0) : &walk->Find("k");
  EXPECT_EQ(walk->GetSigned(), 5);
  ReleaseHostValue(host);
  EXPECT_EQ(+host.kind, kHostValueNull);
}

// Records written straight to a HostValue give what the binding path gives:
// the registry's ToValue, then ToHostValue with enum names.
struct Leaf {
  std::int32_t number = 0;
};
struct Unregistered {};
struct Mixed {
  std::string zeta;
  std::optional<std::string> absent;
  std::optional<std::string> present = std::string("here");
  std::uint64_t omitted = 0;
  std::int16_t kept = -3;
  std::string duplicate = "first";
  std::string duplicateEmpty;
  Color color = Color::Green;
  Color unnamed = static_cast<Color>(7);
  double ratio = 0.5;
  bool flag = true;
  BindingBlob bytes{{0, 1, 2}};
  BindingValue loose;
  std::vector<Leaf> leaves{{1}, {0}};
  std::vector<Leaf> noLeaves;
  std::unordered_map<std::string, std::int32_t> scores{{"b", 2}, {"a", 1}, {"\xc3\xa9", 3}};
  std::map<std::string, Leaf> named{{"x", {5}}};
  std::vector<Unregistered> strangers;
};

class HostValueWriterTest : public ::testing::Test {
 protected:
  HostValueWriterTest() {
    registry.RegisterType<Color>("Color").AddEnumerator("Red", 0).AddEnumerator("Green", 1);
    registry.RegisterType<Leaf>("Leaf").AddField("number", &Leaf::number, {}, kBindingFieldOmitEmpty);
    registry.RegisterType<Mixed>("Mixed")
        .AddField("zeta", &Mixed::zeta)
        .AddField("absent", &Mixed::absent)
        .AddField("present", &Mixed::present)
        .AddField("omitted", &Mixed::omitted, {}, kBindingFieldOmitEmpty)
        .AddField("kept", &Mixed::kept, {}, kBindingFieldOmitEmpty)
        .AddField("dup", &Mixed::duplicate)
        .AddField("dup", &Mixed::duplicateEmpty, {}, kBindingFieldOmitEmpty)
        .AddField("color", &Mixed::color)
        .AddField("unnamed", &Mixed::unnamed)
        .AddField("ratio", &Mixed::ratio)
        .AddField("flag", &Mixed::flag)
        .AddField("bytes", &Mixed::bytes)
        .AddField("loose", &Mixed::loose)
        .AddField("leaves", &Mixed::leaves)
        .AddField("noLeaves", &Mixed::noLeaves, {}, kBindingFieldOmitEmpty)
        .AddField("scores", &Mixed::scores)
        .AddField("named", &Mixed::named)
        .AddField("strangers", &Mixed::strangers);
  }

  BindingRegistry registry;
};

// Both paths name an enum value only when the registry names it (Mixed's
// color and unnamed): a path that sends numbers, or names, where the other
// does not, fails the comparison.
TEST_F(HostValueWriterTest, RecordsGiveWhatTheBindingPathGivesAndFailWithItsMessage) {
  using testing::WriterMatchesBindingPath;
  Mixed mixed;
  mixed.loose.Member("inner").Index(1).SetString("deep");
  EXPECT_TRUE(WriterMatchesBindingPath(registry, mixed));
  EXPECT_TRUE(WriterMatchesBindingPath(registry, std::vector<Mixed>(3)));
  mixed.duplicateEmpty = "second";
  mixed.noLeaves.push_back({9});
  EXPECT_TRUE(WriterMatchesBindingPath(registry, mixed));
  EXPECT_TRUE(WriterMatchesBindingPath(registry, std::vector<Leaf>{}));
  EXPECT_TRUE(WriterMatchesBindingPath(registry, std::string("root text")));
  EXPECT_TRUE(WriterMatchesBindingPath(registry, Color::Red));
  // An unregistered struct fails with the binding path's message.
  mixed.strangers.resize(1);
  EXPECT_TRUE(WriterMatchesBindingPath(registry, mixed, false));
}

}  // namespace
}  // namespace kel
