#include "champion_plugin_harness.h"

#include <gtest/gtest.h>

#include <cstring>

#include "binding/host_value_conversion.h"
#include "runtime/event_abi.h"

namespace kel::champions::testing {

ChampionPluginHarness::ChampionPluginHarness() {
  core.on_publish_event = [this](const OutgoingEventRecord* event) {
    BindingResult payload;
    FromHostValue(payload, event->payload, "event");
    EXPECT_TRUE(payload.Ok()) << payload.Message();
    PublishedEvent& published = events_.emplace_back();
    published.name = event->name;
    published.uri = std::string(payload.Value().Find("uri").GetString());
    published.eventType = payload.Value().Find("eventType").AsText();
    published.data = payload.Value().Find("data");
  };
  plugin_ = new ChampionPlugin();
  plugin_->Enter(record_, "kel-champions");
  record_.callbacks->initialize(record_.context, &core.services());
}

ChampionPluginHarness::~ChampionPluginHarness() { record_.callbacks->shutdown(record_.context); }

const FunctionDescriptor* ChampionPluginHarness::Function(std::string_view name) const {
  const ApiDescription& description = Description();
  for (std::uint32_t i = 0; i < description.function_count; ++i) {
    if (name == description.functions[i].description.name) return &description.functions[i];
  }
  return nullptr;
}

Answer ChampionPluginHarness::Get(std::string_view functionName, const std::string& path) {
  Answer answer;
  const FunctionDescriptor* function = Function(functionName);
  EXPECT_NE(function, nullptr) << functionName;
  if (function == nullptr) return answer;
  RequestRecord request = {};
  request.method = 2;  // GET
  request.path = path.c_str();
  request.invoke_context = function->description.invoke_context;
  ResponseRecord response;
  std::memset(&response, 0, sizeof response);
  function->invoke(&response, &request);

  answer.hasError = response.has_error != 0;
  if (response.error_message != nullptr) answer.error = response.error_message;
  answer.status = response.status;
  BindingResult value;
  FromHostValue(value, response.result, "result");
  EXPECT_TRUE(value.Ok()) << value.Message();
  answer.value = std::move(value.Value());
  response.release(&response);
  return answer;
}

}  // namespace kel::champions::testing
