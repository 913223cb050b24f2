// The API description the entry hands to the core: built once from the
// registry after RegisterRoutes, and usable for as long as the module lives.
#include <gtest/gtest.h>

#include "api/typed_handler.h"
#include "runtime/app_module.h"
#include "support/invoke_call.h"

namespace kel {
namespace {

class RoutedModule : public AppModule {
 public:
  void RegisterRoutes() override {
    RegisterRoute<std::string, uint64_t>(
        functions(), {RequestMethod::kGet, "/kel-champions/v1/inventories/{summonerId}/champions"},
        {{{"summonerId", ParameterLocation::kPath}}},
        [](uint64_t summoner) -> MaybeType<Failure, std::string> { return std::to_string(summoner); });
  }
};

TEST(EntryDescription, ListsTheRegisteredRoutesAndTheRegistrysTypes) {
  RoutedModule module;
  PluginHostRecord record{18, 0, 0};
  module.Enter(record, "kel-champions");
  const ApiDescription* api = record.api_description;
  ASSERT_NE(api, nullptr);
  ASSERT_EQ(+api->function_count, 1u);
  EXPECT_GE(+api->type_count, 15u);  // the built-in types at least
  EXPECT_GE(+api->event_count, 1u);
  const FunctionDescriptor& descriptor = api->functions[0];
  EXPECT_STREQ(descriptor.description.name, "GetKelChampionsV1InventoriesBySummonerIdChampions");

  const testing::TestAnswer answer =
      testing::CallFunction(*api, descriptor.description.name, "/kel-champions/v1/inventories/12/champions");
  EXPECT_EQ(answer.value.GetString(), "12");
}

}  // namespace
}  // namespace kel
