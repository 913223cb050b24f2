#include "binding/description_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binding/binding_registry.h"
#include "binding/builtin_types.h"

namespace kel {
namespace {

const BindingTypeRecord* FindRecord(const BindingDescriptionLists& lists, const std::string& name) {
  for (const BindingTypeRecord* record = lists.Types(); record != nullptr; record = record->next) {
    if (name == record->name) return record;
  }
  return nullptr;
}

struct Empty {};

TEST(DescriptionListsTest, AFreshRegistryListsTheBuiltInsAndOnCallback) {
  BindingRegistry registry;
  BindingDescriptionLists lists(registry);
  size_t linked = 0;
  for (const BindingTypeRecord* record = lists.Types(); record != nullptr; record = record->next) ++linked;
  EXPECT_EQ(linked, lists.TypeCount());
  ASSERT_EQ(lists.EventCount(), 1u);
  const BindingEventRecord& event = *lists.Events();
  EXPECT_STREQ(event.name, "OnCallback");
  EXPECT_STREQ(event.payload_type_name, "BindingCallbackEvent");
  ASSERT_EQ(+event.tag_count, 1u);
  EXPECT_STREQ(event.tags[0], "$builtin");
  EXPECT_EQ(+event.next, nullptr);
}

// Enumerators are listed in name order with their values; fields are linked
// in registration order with their codes, offsets and element type names.
TEST(DescriptionListsTest, EnumeratorAndFieldRecords) {
  BindingRegistry registry;
  BindingDescriptionLists lists(registry);
  const BindingTypeRecord* state = FindRecord(lists, "BindingAsyncState");
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(+state->fields, nullptr);
  std::vector<std::string> names;
  for (const BindingEnumeratorRecord* e = state->enumerators; e != nullptr; e = e->next) names.push_back(e->name);
  EXPECT_EQ(names, (std::vector<std::string>{"Cancelled", "Cancelling", "Failed", "None", "Running", "Succeeded"}));
  EXPECT_EQ(+state->member_count, 6u);
  EXPECT_EQ(+state->enumerators[0].value, 3);

  const BindingTypeRecord* type = FindRecord(lists, "BindingFullTypeHelp");
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(+type->enumerators, nullptr);
  ASSERT_EQ(+type->member_count, 7u);
  const BindingFieldRecord* fields = type->fields;
  EXPECT_STREQ(fields[0].name, "name");
  EXPECT_EQ(+fields[2].offset, offsetof(BindingFullTypeHelp, size));
  EXPECT_EQ(+fields[5].type, static_cast<std::int32_t>(BindingType::kVector));
  EXPECT_EQ(+fields[5].element_type, static_cast<std::int32_t>(BindingType::kStruct));
  EXPECT_STREQ(fields[5].type_name, "BindingFullFieldHelp");
  EXPECT_EQ(+fields[0].next, &fields[1]);
  EXPECT_EQ(+fields[6].next, nullptr);
}

TEST(DescriptionListsTest, DeclaredTypesStandInAndEmptyStructsListNothing) {
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
  EXPECT_EQ(+empty->fields, nullptr);
  EXPECT_EQ(+empty->enumerators, nullptr);
  EXPECT_EQ(+empty->member_count, 0u);
  const BindingTypeRecord* declared = FindRecord(lists, "Declared");
  ASSERT_NE(declared, nullptr);
  EXPECT_STREQ(declared->name_space, "hclient");
  EXPECT_EQ(+declared->fields[0].type, static_cast<std::int32_t>(BindingType::kBlob));
}

TEST(DescriptionListsTest, EventsAreReplacedAndUnregistered) {
  BindingRegistry registry;
  registry.RegisterEvent("OnThing", nullptr).description = "first";
  registry.RegisterEvent("OnThing", registry.FindType(StaticTypeOf<BindingGenericEvent>())).description = "second";
  EXPECT_EQ(registry.FindEvent("OnThing")->description, "second");
  registry.UnregisterEvent("OnCallback");
  BindingDescriptionLists lists(registry);
  ASSERT_EQ(lists.EventCount(), 1u);
  EXPECT_STREQ(lists.Events()->payload_type_name, "BindingGenericEvent");
  registry.Initialize();
  EXPECT_EQ(registry.FindEvent("OnThing"), nullptr);
  EXPECT_NE(registry.FindEvent("OnCallback"), nullptr);
}

TEST(BuiltinTypesTest, CallbackEventsConvertBothWays) {
  BindingRegistry registry;
  BindingCallbackEvent event{7, {}};
  event.parameters.resize(2);
  event.parameters[1].SetString("p");
  BindingResult result;
  registry.ToValue(result, event);
  ASSERT_TRUE(result.Ok());
  EXPECT_EQ(result.Value().Find("id").GetUnsigned(), 7u);
  EXPECT_EQ(result.Value().Find("parameters").Size(), 2u);
  BindingCallbackEvent back;
  registry.Assign(result, back, result.Value(), "event");
  EXPECT_TRUE(result.Ok());
  EXPECT_EQ(back.parameters[1].GetString(), "p");
  EXPECT_EQ(std::string(StaticTypeOf<BindingAsyncState>().Name()).front(), '#');
}

}  // namespace
}  // namespace kel
