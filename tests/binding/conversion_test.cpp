// The assign and to-value rules through the registry, with their messages.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "binding/binding_registry.h"

namespace kel {
namespace {

enum class Phase : std::int32_t { IN_PROGRESS = 0, SUCCEEDED = 1 };

struct Inner {
  std::int32_t id = 0;
  std::string label;
};

struct Record {
  std::int32_t count = 0;
  std::uint32_t mask = 0;
  std::uint64_t big = 0;
  bool flag = false;
  std::string name;
  std::optional<std::string> nickname;
  std::map<std::string, std::string> labels;
  std::vector<std::string> tags;
  std::vector<Inner> items;
  Inner inner;
  Phase phase = Phase::IN_PROGRESS;
  BindingValue extra;
};

struct Unregistered {
  int x = 0;
};

struct Holder {
  Unregistered member;
};

struct Sparse {
  std::int32_t zero = 0;
  std::string text;
  bool off = false;
  Phase phase = Phase::IN_PROGRESS;
  std::vector<std::string> list;
  std::int32_t kept = 0;
};

class ConversionTest : public ::testing::Test {
 protected:
  ConversionTest() {
    registry.RegisterType<Phase>("Phase").AddEnumerator("IN_PROGRESS", 0).AddEnumerator("SUCCEEDED", 1);
    registry.RegisterType<Inner>("Inner")
        .AddField("id", &Inner::id, "", kBindingFieldRequired)
        .AddField("label", &Inner::label);
    registry.RegisterType<Record>("Record")
        .AddField("count", &Record::count)
        .AddField("mask", &Record::mask)
        .AddField("big", &Record::big)
        .AddField("flag", &Record::flag)
        .AddField("name", &Record::name)
        .AddField("nickname", &Record::nickname)
        .AddField("labels", &Record::labels)
        .AddField("tags", &Record::tags)
        .AddField("items", &Record::items)
        .AddField("inner", &Record::inner)
        .AddField("phase", &Record::phase)
        .AddField("extra", &Record::extra);
    registry.RegisterType<Holder>("Holder").AddField("member", &Holder::member);
    const std::uint32_t omit = kBindingFieldOmitEmpty;
    registry.RegisterType<Sparse>("Sparse")
        .AddField("zero", &Sparse::zero, "", omit)
        .AddField("text", &Sparse::text, "", omit)
        .AddField("off", &Sparse::off, "", omit)
        .AddField("phase", &Sparse::phase, "", omit)
        .AddField("list", &Sparse::list, "", omit)
        .AddField("kept", &Sparse::kept);
  }

  // Assigns a value to a fresh T and returns the message ("" on success).
  template <typename T>
  std::string AssignMessage(const BindingValue& source, T& out) {
    BindingResult result;
    registry.Assign(result, out, source, "field");
    return std::string(result.Message());
  }
  template <typename T>
  std::string Message(const BindingValue& source) {
    T out{};
    return AssignMessage(source, out);
  }
  template <typename T>
  T Assigned(const BindingValue& source) {
    T out{};
    EXPECT_EQ(AssignMessage(source, out), "");
    return out;
  }

  BindingRegistry registry;
};

BindingValue Text(const char* text) {
  BindingValue value;
  value.SetString(text);
  return value;
}
BindingValue Signed(std::int64_t number) {
  BindingValue value;
  value.SetSigned(number);
  return value;
}
BindingValue Unsigned(std::uint64_t number) {
  BindingValue value;
  value.SetUnsigned(number);
  return value;
}
BindingValue Float(double number) {
  BindingValue value;
  value.SetDouble(number);
  return value;
}
BindingValue Bool(bool flag) {
  BindingValue value;
  value.SetBool(flag);
  return value;
}

TEST_F(ConversionTest, EmptyInputIsRequiredForEveryScalar) {
  BindingValue empty;
  EXPECT_EQ(Message<bool>(empty), "A value for 'field' is required.");
  EXPECT_EQ(Message<std::int32_t>(empty), "A value for 'field' is required.");
  EXPECT_EQ(Message<std::string>(empty), "A value for 'field' is required.");
  EXPECT_EQ(Message<Phase>(empty), "A value for 'field' is required.");
  EXPECT_EQ(Message<Inner>(empty), "A value for 'field' is required.");
  EXPECT_EQ(Message<double>(empty), "A value for 'field' is required.");
}

TEST_F(ConversionTest, Bool) {
  EXPECT_TRUE(Assigned<bool>(Text("true")));
  EXPECT_TRUE(Assigned<bool>(Text("1")));
  EXPECT_FALSE(Assigned<bool>(Text("0")));
  EXPECT_EQ(Message<bool>(Text("TRUE")),
            "Value TRUE for 'field' of type bool is in an incorrect format. Options are \"true\", \"false\", \"1\", \"0\".");
  EXPECT_EQ(Message<bool>(Signed(1)),
            "Couldn't assign value to 'field' of type bool because the input is of an invalid type signed.");
}

TEST_F(ConversionTest, SignedBoundsAtEveryWidth) {
  EXPECT_EQ(Assigned<std::int8_t>(Signed(-128)), -128);
  EXPECT_EQ(Message<std::int8_t>(Signed(128)), "Value 128 for 'field' of type int8 is out of range");
  EXPECT_EQ(Assigned<std::int16_t>(Signed(32767)), 32767);
  EXPECT_EQ(Message<std::int16_t>(Signed(-32769)), "Value -32769 for 'field' of type int16 is out of range");
  EXPECT_EQ(Assigned<std::int32_t>(Signed(INT32_MIN)), INT32_MIN);
  EXPECT_EQ(Message<std::int32_t>(Unsigned(2147483648u)),
            "Value 2147483648 for 'field' of type int32 is out of range");
  EXPECT_EQ(Assigned<std::int64_t>(Unsigned(INT64_MAX)), INT64_MAX);
  EXPECT_EQ(Message<std::int64_t>(Unsigned(9223372036854775808u)),
            "Value 9223372036854775808 for 'field' of type int64 is out of range");
  EXPECT_EQ(Message<std::int32_t>(Text("2147483648")), "Value 2147483648 for 'field' of type int32 is out of range");
  EXPECT_EQ(Message<std::int64_t>(Text("9223372036854775808")),
            "Value 9223372036854775808 for 'field' of type int64 is out of range");
  EXPECT_EQ(Assigned<std::int64_t>(Text("-9223372036854775808")), INT64_MIN);
}

TEST_F(ConversionTest, UnsignedBoundsAtEveryWidth) {
  EXPECT_EQ(Assigned<std::uint8_t>(Unsigned(255)), 255);
  EXPECT_EQ(Message<std::uint8_t>(Signed(256)), "Value 256 for 'field' of type uint8 is out of range");
  EXPECT_EQ(Message<std::uint16_t>(Unsigned(65536)), "Value 65536 for 'field' of type uint16 is out of range");
  EXPECT_EQ(Message<std::uint32_t>(Signed(-1)), "Value -1 for 'field' of type uint32 is out of range");
  EXPECT_EQ(Assigned<std::uint32_t>(Text("4294967295")), 4294967295u);
  EXPECT_EQ(Message<std::uint32_t>(Text("4294967296")), "Value 4294967296 for 'field' of type uint32 is out of range");
  EXPECT_EQ(Assigned<std::uint64_t>(Text("18446744073709551615")), UINT64_MAX);
  EXPECT_EQ(Message<std::uint64_t>(Text("18446744073709551616")),
            "Value 18446744073709551616 for 'field' of type uint64 is out of range");
  EXPECT_EQ(Message<std::uint64_t>(Text("-0")), "Value -0 for 'field' of type uint64 is out of range");
  // strtoull would turn " -1" into the largest value; a negative text is never in range.
  EXPECT_EQ(Message<std::uint64_t>(Text(" -1")), "Value  -1 for 'field' of type uint64 is out of range");
  BindingValue negativeEnum;
  negativeEnum.SetEnum(-1, nullptr);
  EXPECT_EQ(Message<std::uint32_t>(negativeEnum), "Value -1 for 'field' of type uint32 is out of range");
}

TEST_F(ConversionTest, TextsDetectTheirBaseAndRejectLeftovers) {
  EXPECT_EQ(Assigned<std::int32_t>(Text("0x1F")), 31);
  EXPECT_EQ(Assigned<std::int32_t>(Text("017")), 15);
  EXPECT_EQ(Assigned<std::int32_t>(Text(" -12")), -12);
  EXPECT_EQ(Assigned<std::int32_t>(Text("")), 0);
  EXPECT_EQ(Message<std::int32_t>(Text("12abc")), "Value 12abc for 'field' of type int32 is in an incorrect format");
  EXPECT_EQ(Message<std::int32_t>(Text("09")), "Value 09 for 'field' of type int32 is in an incorrect format");
  EXPECT_EQ(Message<std::uint32_t>(Text("1 ")), "Value 1  for 'field' of type uint32 is in an incorrect format");
  EXPECT_EQ(Message<double>(Text("1.5x")), "Value 1.5x for 'field' of type double is in an incorrect format");
  EXPECT_EQ(Assigned<double>(Text("2.5e3")), 2500.0);
  EXPECT_EQ(Message<double>(Text("1e999")), "Value 1e999 for 'field' of type double is out of range");
  EXPECT_EQ(Message<float>(Text("1e39")), "Value 1e39 for 'field' of type float is out of range");
}

TEST_F(ConversionTest, FloatsTruncateAndNanIsOutOfRange) {
  EXPECT_EQ(Assigned<std::int32_t>(Float(2.9)), 2);
  EXPECT_EQ(Assigned<std::int32_t>(Float(-2.9)), -2);
  EXPECT_EQ(Message<std::int32_t>(Float(2147483648.0)), "Value 2.14748e+09 for 'field' of type int32 is out of range");
  EXPECT_EQ(Message<std::int32_t>(Float(std::nan(""))), "Value nan for 'field' of type int32 is out of range");
  EXPECT_EQ(Message<std::uint64_t>(Float(std::nan(""))), "Value nan for 'field' of type uint64 is out of range");
  EXPECT_EQ(Message<std::int64_t>(Float(9223372036854775808.0)),
            "Value 9.22337e+18 for 'field' of type int64 is out of range");
  EXPECT_EQ(Assigned<std::uint64_t>(Float(9223372036854775808.0 * 1.5)), 13835058055282163712u);
  EXPECT_EQ(Message<std::uint64_t>(Float(18446744073709551616.0)),
            "Value 1.84467e+19 for 'field' of type uint64 is out of range");
  EXPECT_EQ(Message<std::uint32_t>(Float(-0.5)), "Value -0.5 for 'field' of type uint32 is out of range");
  EXPECT_EQ(Message<float>(Float(1e39)), "Value 1e+39 for 'field' of type float is out of range");
  EXPECT_EQ(Assigned<double>(Signed(INT64_MIN)), -9223372036854775808.0);
  EXPECT_EQ(Assigned<float>(Unsigned(7)), 7.0f);
}

TEST_F(ConversionTest, InvalidKindsNameTheKind) {
  BindingValue structure;
  structure.Member("a");
  EXPECT_EQ(Message<std::int32_t>(structure),
            "Couldn't assign value to 'field' of type int32 because the input is of an invalid type structure.");
  EXPECT_EQ(Message<std::uint64_t>(Bool(true)),
            "Couldn't assign value to 'field' of type uint64 because the input is of an invalid type bool.");
  EXPECT_EQ(Message<double>(Bool(true)),
            "Couldn't assign value to 'field' of type double because the input is of an invalid type bool.");
  EXPECT_EQ(Message<std::string>(Signed(4)), "Couldn't assign value to 'field' because the input is not a string.");
  EXPECT_EQ(Message<Phase>(Float(1)),
            "Couldn't assign value to 'field' of enum type because the input is of an invalid type float.");
}

TEST_F(ConversionTest, EnumsByNameAndByNumber) {
  EXPECT_EQ(Assigned<Phase>(Text("SUCCEEDED")), Phase::SUCCEEDED);
  EXPECT_EQ(Assigned<Phase>(Text("1")), Phase::SUCCEEDED);
  EXPECT_EQ(Assigned<Phase>(Unsigned(1)), Phase::SUCCEEDED);
  EXPECT_EQ(Assigned<Phase>(Signed(0x100000001)), Phase::SUCCEEDED);  // the low 32 bits
  EXPECT_EQ(Message<Phase>(Text("7")), "7 is not a valid Phase enumeration value for 'field'.");
  EXPECT_EQ(Message<Phase>(Text("nope")), "nope is not a valid Phase enumeration value for 'field'.");
  EXPECT_EQ(Message<Phase>(Text("4294967297")), "4294967297 is not a valid Phase enumeration value for 'field'.");
  EXPECT_EQ(Message<Phase>(Signed(-2)), "-2 is not a valid Phase enumeration value for 'field'.");
  BindingValue pair;
  pair.SetEnum(1, &StaticTypeOf<Phase>());
  EXPECT_EQ(Assigned<std::string>(pair), "SUCCEEDED");
  pair.SetEnum(9, &StaticTypeOf<Phase>());
  EXPECT_EQ(Message<std::string>(pair), "9 is not a valid enumeration value for 'field'.");
  EXPECT_EQ(Assigned<std::int32_t>(pair), 9);
}

BindingValue FullRecord() {
  BindingValue value;
  value.Member("count").SetString("-7");
  value.Member("mask").SetUnsigned(5);
  value.Member("big").SetString("0x10");
  value.Member("flag").SetString("true");
  value.Member("name").SetString("Anivia");
  value.Member("nickname").SetString("bird");
  value.Member("labels").Member("k").SetString("v");
  value.Member("tags").Index(1).SetString("b");
  value.Member("items").Index(0).Member("id").SetSigned(3);
  value.Member("inner").Member("id").SetSigned(4);
  value.Member("inner").Member("label").SetString("in");
  value.Member("phase").SetString("SUCCEEDED");
  value.Member("extra").Index(0).SetBool(true);
  value.Member("unknown").SetSigned(1);
  return value;
}

TEST_F(ConversionTest, StructsAssignEveryFieldKindAndIgnoreUnknownMembers) {
  Record record = Assigned<Record>(FullRecord());
  EXPECT_EQ(record.count, -7);
  EXPECT_EQ(record.mask, 5u);
  EXPECT_EQ(record.big, 16u);
  EXPECT_TRUE(record.flag);
  EXPECT_EQ(record.name, "Anivia");
  EXPECT_EQ(record.nickname, "bird");
  EXPECT_EQ(record.labels.at("k"), "v");
  EXPECT_EQ(record.tags, (std::vector<std::string>{"", "b"}));
  ASSERT_EQ(record.items.size(), 1u);
  EXPECT_EQ(record.items[0].id, 3);
  EXPECT_EQ(record.inner.label, "in");
  EXPECT_EQ(record.phase, Phase::SUCCEEDED);
  EXPECT_TRUE(record.extra.Get(0).GetBool());
}

TEST_F(ConversionTest, EmptyOrMissingMembersLeaveDefaultsUnlessRequired) {
  Record record;
  record.name = "kept";
  BindingValue value;
  value.Member("name");  // empty member
  value.Member("count").SetSigned(2);
  EXPECT_EQ(AssignMessage(value, record), "");
  EXPECT_EQ(record.name, "kept");
  EXPECT_EQ(record.count, 2);
  EXPECT_FALSE(record.nickname.has_value());

  BindingValue inner;
  inner.Member("label").SetString("x");
  EXPECT_EQ(Message<Inner>(inner),
            "Couldn't assign value to 'field' of type Inner because the input structure doesn't have required field 'id'.");
  EXPECT_EQ(Message<Inner>(Signed(1)), "Couldn't assign value to 'field' of type Inner because the input not a structure.");
}

TEST_F(ConversionTest, FirstFailureWinsWithoutRollback) {
  BindingValue value = FullRecord();
  value.Member("flag").SetString("yes");  // fails
  value.Member("name").SetSigned(1);      // would fail too, later in field order
  Record record;
  BindingResult result;
  registry.Assign(result, record, value, "record");
  EXPECT_EQ(result.Message(),
            "Value yes for 'flag' of type bool is in an incorrect format. Options are \"true\", \"false\", \"1\", \"0\".");
  EXPECT_EQ(record.count, -7);  // written before the failure, kept
  EXPECT_EQ(record.name, "");   // after the failure, untouched
  record.count = 99;
  registry.Assign(result, record, FullRecord(), "record");  // a failed result stops every rule
  EXPECT_EQ(record.count, 99);
}

TEST_F(ConversionTest, VectorsAndMaps) {
  std::vector<std::int32_t> numbers{1, 2, 3};
  EXPECT_EQ(AssignMessage(Bool(true), numbers),
            "Couldn't assign value to 'field' of type vector because the input not a collection.");
  EXPECT_TRUE(numbers.empty());
  BindingValue three;
  three.Index(0).SetSigned(1);
  three.Index(2).SetSigned(3);
  EXPECT_EQ(Assigned<std::vector<std::int32_t>>(three), (std::vector<std::int32_t>{1, 0, 3}));
  three.Index(1).SetString("x");
  EXPECT_EQ(Message<std::vector<std::int32_t>>(three), "Value x for 'field' of type int32 is in an incorrect format");
  EXPECT_EQ(Message<std::vector<Phase>>(three), "x is not a valid Phase enumeration value for 'field'.");

  std::unordered_map<std::string, std::string> map{{"old", "value"}};
  EXPECT_EQ(AssignMessage(three, map), "Couldn't assign value to 'field' of type map because the input not a structure.");
  EXPECT_TRUE(map.empty());
  BindingValue members;
  members.Member("b").SetString("2");
  members.Member("a").SetString("1");
  EXPECT_EQ((Assigned<std::map<std::string, std::int32_t>>(members)), (std::map<std::string, std::int32_t>{{"a", 1}, {"b", 2}}));
}

TEST_F(ConversionTest, UnregisteredStructures) {
  BindingValue value;
  value.Member("member").Member("x").SetSigned(1);
  EXPECT_EQ(Message<Holder>(value),
            "Couldn't assign value to 'member' because the input is an unregistered structure or not a structure at all.");
  BindingResult result;
  registry.ToValue(result, Holder{});
  EXPECT_EQ(result.Message(), "Couldn't convert native value because it's an unregistered structure.");
  BindingResult direct;
  registry.ToValue(direct, Unregistered{});
  EXPECT_EQ(direct.Message(), "Couldn't convert native value because it's an unregistered structure.");
}

TEST_F(ConversionTest, ToValueWritesMembersInKeyOrderAndRoundTrips) {
  Record record = Assigned<Record>(FullRecord());
  BindingResult result;
  registry.ToValue(result, record);
  ASSERT_TRUE(result.Ok()) << result.Message();
  const BindingValue& value = result.Value();
  std::vector<std::string> keys;
  for (auto [key, member] : value.Members()) keys.emplace_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"big", "count", "extra", "flag", "inner", "items", "labels", "mask", "name",
                                            "nickname", "phase", "tags"}));
  EXPECT_EQ(value.Find("count").GetSigned(), -7);
  EXPECT_EQ(value.Find("mask").Kind(), BindingValueKind::kUnsigned);
  EXPECT_EQ(value.Find("phase").GetEnum().value, 1);
  EXPECT_EQ(value.Find("phase").GetEnum().type, &StaticTypeOf<Phase>());
  EXPECT_EQ(value.Find("items").Get(0).Find("label").Kind(), BindingValueKind::kString);
  Record back = Assigned<Record>(value);
  EXPECT_EQ(back.tags, record.tags);
  EXPECT_EQ(back.phase, Phase::SUCCEEDED);

  record.nickname.reset();
  BindingResult absent;
  absent.Value().Member("leftover").SetBool(true);
  registry.ToValue(absent, record);
  EXPECT_TRUE(absent.Value().Find("leftover").IsEmpty());
  EXPECT_TRUE(absent.Value().Find("nickname").IsEmpty());
  EXPECT_EQ(absent.Value().Size(), 12u);  // written, empty
}

TEST_F(ConversionTest, OmitEmptyFieldsAreLeftOut) {
  BindingResult result;
  registry.ToValue(result, Sparse{});
  ASSERT_TRUE(result.Ok());
  EXPECT_EQ(result.Value().Size(), 1u);
  EXPECT_EQ(result.Value().Find("kept").GetSigned(-1), 0);
  Sparse full{1, "t", true, Phase::SUCCEEDED, {"x"}, 0};
  BindingResult written;
  registry.ToValue(written, full);
  EXPECT_EQ(written.Value().Size(), 6u);
  EXPECT_EQ(written.Value().Find("list").Get(0).GetString(), "x");
}

TEST_F(ConversionTest, RegisteringANameTwiceKeepsTheFirst) {
  BindingTypeBuilder again = registry.RegisterType<Sparse>("Inner");
  EXPECT_TRUE(again.AlreadyExisted());
  again.AddField("text", &Sparse::text).SetDescription("changed").AddTag("t").AddEnumerator("E", 1);
  const BindingTypeInfo* inner = registry.FindType("Inner");
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->fields.size(), 2u);
  EXPECT_EQ(inner->description, "");
  EXPECT_TRUE(inner->tags.empty());
  EXPECT_EQ(registry.FindType(StaticTypeOf<Inner>()), inner);
}

TEST(StaticTypeIdTest, IdentitiesAreStableDistinctAndNamed) {
  EXPECT_EQ(&StaticTypeOf<Inner>(), &StaticTypeOf<Inner>());
  EXPECT_NE(StaticTypeOf<Inner>().identifier, StaticTypeOf<Record>().identifier);
  EXPECT_NE(std::string(StaticTypeOf<Inner>().Name()).find("Inner"), std::string::npos);
  EXPECT_EQ(std::string(NumberedStaticTypeId(0xAB12).Name()), "#0000AB12");
  EXPECT_EQ(std::string(kReservedStaticTypeId.Name()), "#1BE7EF8E");
}

TEST(StaticTypeIdTest, TheReservedIdentityIsNeverFoundByIdentifier) {
  BindingRegistry registry;
  registry.RegisterType(4, "Reserved", kReservedStaticTypeId, false);
  EXPECT_NE(registry.FindType("Reserved"), nullptr);
  EXPECT_EQ(registry.FindType(kReservedStaticTypeId), nullptr);
}

}  // namespace
}  // namespace kel
