#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "api/api_description_abi.h"
#include "api/function_table.h"
#include "api/invoke.h"
#include "binding/binding_registry.h"
#include "support/invoke_call.h"

namespace kel::testing {

// A request as a test writes it; Invoke turns it into a real request record.
struct TestRequest {
  RequestMethod method = RequestMethod::kGet;
  std::string path;
  std::vector<std::pair<std::string, std::string>> headers;
  std::vector<RequestArgumentEntry> arguments;
  const char* content_type = nullptr;
  std::vector<uint8_t> body;  // exactly the body: no terminator after it
  bool has_body = false;
  const char* custom_method = nullptr;
  uint32_t token = 0;
};

// A handler that answers with a structure of its bound arguments, one member
// per parameter name, so tests see exactly what binding produced.
class EchoHandler final : public FunctionHandler {
 public:
  explicit EchoHandler(std::vector<std::string> names) : names_(std::move(names)) {}
  std::unique_ptr<CallState> Prepare(CallResult&, std::span<BindingValue> arguments, uint32_t) override {
    auto state = std::make_unique<State>();
    state->arguments.assign(arguments.begin(), arguments.end());
    return state;
  }
  void Run(CallResult& call, const RequestInfo*, CallState& state, uint32_t) override {
    const auto& arguments = static_cast<State&>(state).arguments;
    call.result.Value().MakeStructure();
    for (size_t i = 0; i < names_.size(); ++i) call.result.Value().Member(names_[i]) = arguments[i];
  }

 private:
  struct State final : CallState {
    std::vector<BindingValue> arguments;
  };
  std::vector<std::string> names_;
};

class InvokeTest : public ::testing::Test {
 public:
  // Registers a function answered by an EchoHandler.
  const FunctionRecord& Echo(RequestMethod method, std::string path_template,
                             std::vector<FunctionParameter> parameters) {
    FunctionDefinition definition;
    definition.method = method;
    definition.path_template = std::move(path_template);
    std::vector<std::string> names;
    for (const FunctionParameter& parameter : parameters) names.push_back(parameter.name);
    definition.parameters = std::move(parameters);
    definition.handler = std::make_unique<EchoHandler>(std::move(names));
    return table_.Register(std::move(definition));
  }
  // Calls the invoke entry with a record built from `request`.
  TestAnswer Invoke(const FunctionRecord& function, const TestRequest& request) {
    const InvokeContext context{&registry_, &function};
    std::vector<RequestHeaderEntry> headers;
    for (const auto& [name, value] : request.headers) headers.push_back({name.c_str(), value.c_str()});
    RequestRecord record = {};
    record.method = static_cast<uint32_t>(request.method);
    record.path = request.path.c_str();
    record.arguments = request.arguments.empty() ? nullptr : request.arguments.data();
    record.argument_count = static_cast<uint32_t>(request.arguments.size());
    record.invoke_context = &context;
    record.headers = headers.empty() ? nullptr : headers.data();
    record.header_count = static_cast<uint32_t>(headers.size());
    record.content_type = request.content_type;
    record.body = request.has_body ? request.body.data() : nullptr;
    record.body_length = static_cast<uint32_t>(request.body.size());
    record.request_token = request.token;
    record.custom_method = request.custom_method;
    return CallInvoke(&InvokeFunction, record);
  }
  TestAnswer Get(const FunctionRecord& function, std::string path) {
    TestRequest request;
    request.path = std::move(path);
    return Invoke(function, request);
  }

 protected:
  BindingRegistry registry_;
  FunctionTable table_{registry_};
};

inline FunctionParameter Param(std::string name, BindingType type, ParameterLocation location = ParameterLocation::kAny,
                               BindingType element = BindingType::kNone) {
  return {std::move(name), BindingTypeId{type, element, nullptr}, location, false, {}};
}

}  // namespace kel::testing
