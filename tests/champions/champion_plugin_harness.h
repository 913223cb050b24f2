#pragma once
// The champion plug-in entered and initialized against a FakeCore, with
// requests sent through the invoke entries of its API description and every
// published event captured as a binding value.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "api/api_description_abi.h"
#include "binding/binding_value.h"
#include "champions/champion_plugin.h"
#include "runtime/host_abi.h"
#include "support/fake_core.h"

namespace kel::champions::testing {

struct Answer {
  bool hasError = false;
  std::string error;
  std::uint32_t status = 0;
  BindingValue value;
};

struct PublishedEvent {
  std::string name;
  std::string uri;
  std::string eventType;  // the enumerator's name: "Create" or "Update"
  BindingValue data;
};

class ChampionPluginHarness {
 public:
  ChampionPluginHarness();
  ~ChampionPluginHarness();  // shuts the plug-in down as the core does

  ChampionPlugin& Plugin() { return *plugin_; }
  const ApiDescription& Description() const { return *record_.api_description; }
  // The descriptor of the function with that name, or null.
  const FunctionDescriptor* Function(std::string_view name) const;
  // A GET of `path` through the invoke entry of the named function.
  Answer Get(std::string_view functionName, const std::string& path);

  std::vector<PublishedEvent> Events() const { return events_; }
  void ClearEvents() { events_.clear(); }

  kel::testing::FakeCore core;

 private:
  PluginHostRecord record_{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
  ChampionPlugin* plugin_ = nullptr;
  std::vector<PublishedEvent> events_;
};

}  // namespace kel::champions::testing
