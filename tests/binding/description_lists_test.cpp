// The packed type and event lists the core reads; the host's OpenAPI test
// reads the real plug-in's names and types by index, so here the links, the
// offsets, the order and what registration changes.
#include "binding/description_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binding/binding_registry.h"
#include "binding/builtin_types.h"

namespace kel {
namespace {

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

TEST(DescriptionListsTest, EnumeratorsInNameOrderAndFieldsLinkedWithTheirOffsets) {
  BindingRegistry registry;
  BindingDescriptionLists lists(registry);
  const BindingTypeRecord* state = FindRecord(lists, "BindingAsyncState");
  ASSERT_NE(state, nullptr);
  std::vector<std::string> names;
  for (const BindingEnumeratorRecord* e = state->enumerators; e != nullptr; e = e->next) names.push_back(e->name);
  EXPECT_EQ(names, (std::vector<std::string>{"Cancelled", "Cancelling", "Failed", "None", "Running", "Succeeded"}));
  const BindingTypeRecord* type = FindRecord(lists, "BindingFullTypeHelp");
  ASSERT_NE(type, nullptr);
  const BindingFieldRecord* fields = type->fields;
  EXPECT_EQ(+fields[2].offset, offsetof(BindingFullTypeHelp, size));
  EXPECT_EQ(+fields[0].next, &fields[1]);
  EXPECT_EQ(+fields[type->member_count - 1].next, nullptr);
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
  EXPECT_EQ(+lists.Events()->next, nullptr);
  registry.Initialize();
  EXPECT_EQ(registry.FindEvent("OnThing"), nullptr);
  EXPECT_NE(registry.FindEvent("OnCallback"), nullptr);
}

}  // namespace
}  // namespace kel
