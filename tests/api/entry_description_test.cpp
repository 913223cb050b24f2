// The API description the entry hands to the core: built once from the
// registry after RegisterRoutes, and usable for as long as the module lives.
#include <gtest/gtest.h>

#include "api/typed_handler.h"
#include "runtime/app_module.h"

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

  RequestRecord request = {};
  request.method = 2;
  request.path = "/kel-champions/v1/inventories/12/champions";
  request.invoke_context = descriptor.description.invoke_context;
  ResponseRecord response = {};
  descriptor.invoke(&response, &request);
  const HostValue result = response.result;
  ASSERT_EQ(result.kind, kHostValueOwnedString);
  EXPECT_STREQ(static_cast<const char*>(result.payload.reference.pointer), "12");
  response.release(&response);
}

}  // namespace
}  // namespace kel
