#pragma once
// The champion records as JSON through the plug-in's own registrations, so a
// test pins a whole record (names, values, order) against one expected text.

#include <gtest/gtest.h>

#include "binding/binding_registry.h"
#include "champions/champion_types.h"
#include "runtime/drov_class_names.h"
#include "serialization/json_writer.h"

namespace kel::champions::testing {

// The wire records and the public ones (prefix "KelChampions").
struct ChampionTypes {
  ChampionTypes() {
    RegisterDrovWireRecords(registry, classNames);
    RegisterPublicRecords(registry, "KelChampions", {"Plugins", "Plugin kel-champions"});
  }
  BindingRegistry registry;
  DrovClassNames classNames;
};
// Registered once, on first use.
inline const ChampionTypes& Registered() {
  static const ChampionTypes types;
  return types;
}

template <typename T>
std::string JsonOf(const T& record) {
  BindingResult value;
  Registered().registry.ToValue(value, record);
  EXPECT_TRUE(value.Ok()) << value.Message();
  return WriteJson(value.Value(), Registered().registry);
}

}  // namespace kel::champions::testing
