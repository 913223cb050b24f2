// The registry: its assign and to-value rules with their messages, and the
// description lists it gives the core.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "binding/binding_registry.h"
#include "binding/builtin_types.h"
#include "binding/description_lists.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"
#include "support/binding_values.h"

namespace kel {
namespace {

using testing::BoolValue;
using testing::FloatValue;
using testing::SignedValue;
using testing::TextValue;
using testing::UnsignedValue;

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

struct Unregistered {};

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
  // The native value written as a binding value, as JSON with enum names:
  // one text pins every member's name, value and order.
  template <typename T>
  std::string Json(const T& native) {
    BindingResult result;
    registry.ToValue(result, native);
    return result.Ok() ? WriteJson(result.Value(), registry) : std::string(result.Message());
  }

  BindingRegistry registry;
};

// The messages of the number and kind rules, for the one name 'field'.
std::string OutOfRange(const std::string& text, const char* type) {
  return "Value " + text + " for 'field' of type " + type + " is out of range";
}
std::string BadFormat(const std::string& text, const char* type) {
  return "Value " + text + " for 'field' of type " + type + " is in an incorrect format";
}
std::string Refused(const std::string& rest) { return "Couldn't assign value to 'field' " + rest; }
std::string WrongKind(const char* type, const char* kind) {
  return Refused(std::string("of type ") + type + " because the input is of an invalid type " + kind + ".");
}

TEST_F(ConversionTest, BoolsAndIntegerBoundsAtEveryWidthNumberTextsAndTruncatedFloats) {
  EXPECT_TRUE(Assigned<bool>(TextValue("true")));
  EXPECT_FALSE(Assigned<bool>(TextValue("0")));
  EXPECT_EQ(
      Message<bool>(TextValue("TRUE")),
      "Value TRUE for 'field' of type bool is in an incorrect format. Options are \"true\", \"false\", \"1\", \"0\".");
  EXPECT_EQ(Message<bool>(SignedValue(1)), WrongKind("bool", "signed"));
  EXPECT_EQ(Assigned<std::int8_t>(SignedValue(-128)), -128);
  EXPECT_EQ(Message<std::int8_t>(SignedValue(128)), OutOfRange("128", "int8"));
  EXPECT_EQ(Message<std::int16_t>(SignedValue(-32769)), OutOfRange("-32769", "int16"));
  EXPECT_EQ(Message<std::int32_t>(UnsignedValue(2147483648u)), OutOfRange("2147483648", "int32"));
  EXPECT_EQ(Assigned<std::int64_t>(UnsignedValue(INT64_MAX)), INT64_MAX);
  EXPECT_EQ(Message<std::int64_t>(UnsignedValue(9223372036854775808u)), OutOfRange("9223372036854775808", "int64"));
  EXPECT_EQ(Message<std::int64_t>(TextValue("9223372036854775808")), OutOfRange("9223372036854775808", "int64"));
  EXPECT_EQ(Assigned<std::int64_t>(TextValue("-9223372036854775808")), INT64_MIN);
  EXPECT_EQ(Assigned<std::uint8_t>(UnsignedValue(255)), 255);
  EXPECT_EQ(Message<std::uint8_t>(SignedValue(256)), OutOfRange("256", "uint8"));
  EXPECT_EQ(Message<std::uint32_t>(SignedValue(-1)), OutOfRange("-1", "uint32"));
  EXPECT_EQ(Message<std::uint32_t>(TextValue("4294967296")), OutOfRange("4294967296", "uint32"));
  EXPECT_EQ(Assigned<std::uint64_t>(TextValue("18446744073709551615")), UINT64_MAX);
  EXPECT_EQ(Message<std::uint64_t>(TextValue("18446744073709551616")), OutOfRange("18446744073709551616", "uint64"));
  EXPECT_EQ(Message<std::uint64_t>(TextValue("-0")), OutOfRange("-0", "uint64"));
  // strtoull would turn " -1" into the largest value; a negative text is never in range.
  EXPECT_EQ(Message<std::uint64_t>(TextValue(" -1")), OutOfRange(" -1", "uint64"));
  EXPECT_EQ(Message<std::uint32_t>(testing::EnumValue(-1)), OutOfRange("-1", "uint32"));
  // Texts detect their base and refuse leftovers.
  EXPECT_EQ(Assigned<std::int32_t>(TextValue("0x1F")), 31);
  EXPECT_EQ(Assigned<std::int32_t>(TextValue("017")), 15);
  EXPECT_EQ(Assigned<std::int32_t>(TextValue("")), 0);
  EXPECT_EQ(Message<std::int32_t>(TextValue("12abc")), BadFormat("12abc", "int32"));
  EXPECT_EQ(Message<std::int32_t>(TextValue("09")), BadFormat("09", "int32"));
  EXPECT_EQ(Message<double>(TextValue("1.5x")), BadFormat("1.5x", "double"));
  EXPECT_EQ(Message<double>(TextValue("1e999")), OutOfRange("1e999", "double"));
  EXPECT_EQ(Message<float>(TextValue("1e39")), OutOfRange("1e39", "float"));
  // Floats truncate; NaN is out of range.
  EXPECT_EQ(Assigned<std::int32_t>(FloatValue(2.9)), 2);
  EXPECT_EQ(Message<std::int32_t>(FloatValue(2147483648.0)), OutOfRange("2.14748e+09", "int32"));
  EXPECT_EQ(Message<std::int32_t>(FloatValue(std::nan(""))), OutOfRange("nan", "int32"));
  EXPECT_EQ(Message<std::int64_t>(FloatValue(9223372036854775808.0)), OutOfRange("9.22337e+18", "int64"));
  EXPECT_EQ(Assigned<std::uint64_t>(FloatValue(9223372036854775808.0 * 1.5)), 13835058055282163712u);
  EXPECT_EQ(Message<std::uint64_t>(FloatValue(18446744073709551616.0)), OutOfRange("1.84467e+19", "uint64"));
  EXPECT_EQ(Message<std::uint32_t>(FloatValue(-0.5)), OutOfRange("-0.5", "uint32"));
  EXPECT_EQ(Message<float>(FloatValue(1e39)), OutOfRange("1e+39", "float"));
  EXPECT_EQ(Assigned<double>(SignedValue(INT64_MIN)), -9223372036854775808.0);
}

TEST_F(ConversionTest, EmptyOrInvalidKindsAreRefusedByName) {
  for (const std::string& message : {Message<bool>({}), Message<std::string>({}), Message<Inner>({})})
    EXPECT_EQ(message, "A value for 'field' is required.");
  EXPECT_EQ(Message<std::int32_t>(testing::StructureValue({{"a", {}}})), WrongKind("int32", "structure"));
  EXPECT_EQ(Message<double>(BoolValue(true)), WrongKind("double", "bool"));
  EXPECT_EQ(Message<std::string>(SignedValue(4)), Refused("because the input is not a string."));
  EXPECT_EQ(Message<Phase>(FloatValue(1)), Refused("of enum type because the input is of an invalid type float."));
}

TEST_F(ConversionTest, EnumsByNameAndByNumber) {
  EXPECT_EQ(Assigned<Phase>(TextValue("SUCCEEDED")), Phase::SUCCEEDED);
  EXPECT_EQ(Assigned<Phase>(UnsignedValue(1)), Phase::SUCCEEDED);
  EXPECT_EQ(Assigned<Phase>(SignedValue(0x100000001)), Phase::SUCCEEDED);  // the low 32 bits
  EXPECT_EQ(Message<Phase>(TextValue("nope")), "nope is not a valid Phase enumeration value for 'field'.");
  EXPECT_EQ(Message<Phase>(TextValue("4294967297")), "4294967297 is not a valid Phase enumeration value for 'field'.");
  EXPECT_EQ(Message<Phase>(SignedValue(-2)), "-2 is not a valid Phase enumeration value for 'field'.");
  EXPECT_EQ(Assigned<std::string>(testing::EnumValue(1, &StaticTypeOf<Phase>())), "SUCCEEDED");
  const BindingValue unnamed = testing::EnumValue(9, &StaticTypeOf<Phase>());
  EXPECT_EQ(Message<std::string>(unnamed), "9 is not a valid enumeration value for 'field'.");
  EXPECT_EQ(Assigned<std::int32_t>(unnamed), 9);
}

// Most fields from texts; "unknown" matches none.
BindingValue FullRecord() {
  return ParseJson(R"({"count":"-7","mask":5,"big":"0x10","flag":"true","name":"Anivia","nickname":"bird",)"
                   R"("labels":{"k":"v"},"tags":[null,"b"],"items":[{"id":3}],"inner":{"id":4,"label":"in"},)"
                   R"("phase":"SUCCEEDED","extra":[true],"unknown":1})")
      .Value();
}

// Every field kind assigned from texts and other kinds, written back with
// its native kind and read again to the same record.
TEST_F(ConversionTest, StructsRoundTripThroughEveryFieldKindAndIgnoreUnknownMembers) {
  // The enum is written by name only when it carries its type; an empty
  // label would be null, a written one is "".
  constexpr const char* kWritten =
      R"({"big":16,"count":-7,"extra":[true],"flag":true,"inner":{"id":4,"label":"in"},"items":[{"id":3,"label":""}],)"
      R"("labels":{"k":"v"},"mask":5,"name":"Anivia","nickname":"bird","phase":"SUCCEEDED","tags":["","b"]})";
  Record record = Assigned<Record>(FullRecord());
  EXPECT_EQ(Json(record), kWritten);
  BindingResult result;
  registry.ToValue(result, record);
  EXPECT_EQ(result.Value().Find("mask").Kind(), BindingValueKind::kUnsigned);
  EXPECT_EQ(Json(Assigned<Record>(result.Value())), kWritten);

  // The result is emptied first: nothing of an earlier value survives.
  record.nickname.reset();
  BindingResult absent;
  absent.Value().Member("leftover").SetBool(true);
  registry.ToValue(absent, record);
  std::string withoutNickname = kWritten;
  withoutNickname.replace(withoutNickname.find("\"bird\""), 6, "null");  // written, empty
  EXPECT_EQ(WriteJson(absent.Value(), registry), withoutNickname);
}

TEST_F(ConversionTest, EmptyOrMissingMembersLeaveDefaultsUnlessRequiredAndUnregisteredStructsAreRefused) {
  Record record;
  record.name = "kept";
  EXPECT_EQ(AssignMessage(ParseJson(R"({"name":null,"count":2})").Value(), record), "");  // an empty name
  EXPECT_EQ(Json(record), R"({"big":0,"count":2,"extra":null,"flag":false,"inner":{"id":0,"label":""},"items":[],)"
                          R"("labels":{},"mask":0,"name":"kept","nickname":null,"phase":"IN_PROGRESS","tags":[]})");

  EXPECT_EQ(Message<Inner>(testing::StructureValue({{"label", TextValue("x")}})),
            Refused("of type Inner because the input structure doesn't have required field 'id'."));
  EXPECT_EQ(Message<Inner>(SignedValue(1)), Refused("of type Inner because the input not a structure."));
  EXPECT_EQ(
      Message<Holder>(testing::StructureValue({{"member", testing::StructureValue({{"x", SignedValue(1)}})}})),
      "Couldn't assign value to 'member' because the input is an unregistered structure or not a structure at all.");
  EXPECT_EQ(Json(Holder{}), "Couldn't convert native value because it's an unregistered structure.");
}

TEST_F(ConversionTest, FirstFailureWinsWithoutRollback) {
  BindingValue value = FullRecord();
  value.Member("flag").SetString("yes");  // fails
  value.Member("name").SetSigned(1);      // would fail too, later in field order
  Record record;
  BindingResult result;
  registry.Assign(result, record, value, "record");
  EXPECT_EQ(
      result.Message(),
      "Value yes for 'flag' of type bool is in an incorrect format. Options are \"true\", \"false\", \"1\", \"0\".");
  EXPECT_EQ(record.count, -7);  // written before the failure, kept
  EXPECT_EQ(record.name, "");   // after the failure, untouched
  record.count = 99;
  registry.Assign(result, record, FullRecord(), "record");  // a failed result stops every rule
  EXPECT_EQ(record.count, 99);
}

TEST_F(ConversionTest, VectorsAndMaps) {
  std::vector<std::int32_t> numbers{1, 2, 3};
  EXPECT_EQ(AssignMessage(BoolValue(true), numbers), Refused("of type vector because the input not a collection."));
  EXPECT_TRUE(numbers.empty());
  BindingValue three = ParseJson("[1,null,3]").Value();
  EXPECT_EQ(Assigned<std::vector<std::int32_t>>(three), (std::vector<std::int32_t>{1, 0, 3}));
  three.Index(1).SetString("x");
  EXPECT_EQ(Message<std::vector<std::int32_t>>(three), BadFormat("x", "int32"));
  EXPECT_EQ(Message<std::vector<Phase>>(three), "x is not a valid Phase enumeration value for 'field'.");

  std::unordered_map<std::string, std::string> map{{"old", "value"}};
  EXPECT_EQ(AssignMessage(three, map), Refused("of type map because the input not a structure."));
  EXPECT_TRUE(map.empty());
  const BindingValue members = testing::StructureValue({{"b", TextValue("2")}, {"a", TextValue("1")}});
  EXPECT_EQ((Assigned<std::map<std::string, std::int32_t>>(members)),
            (std::map<std::string, std::int32_t>{{"a", 1}, {"b", 2}}));
}

TEST_F(ConversionTest, OmitEmptyFieldsAreLeftOutNamesRegisteredTwiceKeepTheFirstAndTheReservedIdIsNeverFound) {
  EXPECT_EQ(Json(Sparse{}), R"({"kept":0})");
  // An enum value its type does not name is written as its number.
  EXPECT_EQ(Json(Sparse{1, "t", true, static_cast<Phase>(7), {"x"}, 0}),
            R"({"kept":0,"list":["x"],"off":true,"phase":7,"text":"t","zero":1})");
  // A name registered twice keeps its first type.
  BindingTypeBuilder again = registry.RegisterType<Sparse>("Inner");
  EXPECT_TRUE(again.AlreadyExisted());
  again.AddField("text", &Sparse::text).SetDescription("changed").AddTag("t").AddEnumerator("E", 1);
  const BindingTypeInfo* inner = registry.FindType("Inner");
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->fields.size(), 2u);
  EXPECT_TRUE(inner->tags.empty());
  EXPECT_EQ(registry.FindType(StaticTypeOf<Inner>()), inner);
  EXPECT_NE(std::string(StaticTypeOf<Inner>().Name()).find("Inner"), std::string::npos);
  EXPECT_EQ(std::string(NumberedStaticTypeId(0xAB12).Name()), "#0000AB12");
  EXPECT_EQ(std::string(kReservedStaticTypeId.Name()), "#1BE7EF8E");
  // The reserved identity is never found by identifier, only by name.
  registry.RegisterType(4, "Reserved", kReservedStaticTypeId, false);
  EXPECT_NE(registry.FindType("Reserved"), nullptr);
  EXPECT_EQ(registry.FindType(kReservedStaticTypeId), nullptr);
}

// The packed type and event lists the core reads; the host's OpenAPI test
// reads the real plug-in's names, enumerators and types, so here the links,
// the offsets and what registration changes.
const BindingTypeRecord* FindRecord(const BindingDescriptionLists& lists, const std::string& name) {
  size_t linked = 0;
  const BindingTypeRecord* found = nullptr;
  for (const BindingTypeRecord* record = lists.Types(); record != nullptr; record = record->next, ++linked) {
    if (name == record->name) found = record;
  }
  EXPECT_EQ(linked, lists.TypeCount());
  return found;
}

struct Empty {};

TEST(DescriptionListsTest, FieldsLinkedWithTheirOffsetsDeclaredTypesStandInEmptyStructsListNothingEventsReplaced) {
  BindingRegistry registry;
  registry.RegisterType<Empty>("Empty");
  struct Declared {
    std::string text;
  };
  registry.RegisterType<Declared>("Declared")
      .AddField("text", &Declared::text, "", 0, {BindingType::kBlob, BindingType::kNone, nullptr})
      .SetNamespace("hclient");
  BindingDescriptionLists lists(registry);
  const BindingTypeRecord* empty = FindRecord(lists, "Empty");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(std::tuple(+empty->fields, +empty->enumerators, +empty->member_count), std::tuple(nullptr, nullptr, 0u));
  const BindingTypeRecord* declared = FindRecord(lists, "Declared");
  ASSERT_NE(declared, nullptr);
  EXPECT_STREQ(declared->name_space, "hclient");
  EXPECT_EQ(+declared->fields[0].type, static_cast<std::int32_t>(BindingType::kBlob));
  const BindingTypeRecord* help = FindRecord(lists, "BindingFullTypeHelp");
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(+help->fields[2].offset, offsetof(BindingFullTypeHelp, size));
  EXPECT_EQ(+help->fields[0].next, &help->fields[1]);
  EXPECT_EQ(+help->fields[help->member_count - 1].next, nullptr);
  // Events are replaced and unregistered.
  registry.RegisterEvent("OnThing", nullptr).description = "first";
  registry.RegisterEvent("OnThing", registry.FindType(StaticTypeOf<BindingGenericEvent>())).description = "second";
  EXPECT_EQ(registry.FindEvent("OnThing")->description, "second");
  registry.UnregisterEvent("OnCallback");
  BindingDescriptionLists events(registry);
  ASSERT_EQ(events.EventCount(), 1u);
  EXPECT_STREQ(events.Events()->payload_type_name, "BindingGenericEvent");
  EXPECT_EQ(+events.Events()->next, nullptr);
  registry.Initialize();
  EXPECT_EQ(registry.FindEvent("OnThing"), nullptr);
  EXPECT_NE(registry.FindEvent("OnCallback"), nullptr);
}

}  // namespace
}  // namespace kel
