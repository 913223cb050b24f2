#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "api/api_description_abi.h"
#include "api/function_table.h"
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
  std::unique_ptr<CallState> Prepare(CallResult& call, std::span<BindingValue> arguments, uint32_t) override;
  void Run(CallResult& call, const RequestInfo*, CallState& state, uint32_t) override;

 private:
  std::vector<std::string> names_;
};

class InvokeTest : public ::testing::Test {
 public:
  // Registers a function answered by an EchoHandler.
  const FunctionRecord& Echo(RequestMethod method, std::string path_template,
                             std::vector<FunctionParameter> parameters);
  // Calls the invoke entry with a record built from `request`.
  TestAnswer Invoke(const FunctionRecord& function, const TestRequest& request);
  TestAnswer Get(const FunctionRecord& function, std::string path);

 protected:
  BindingRegistry registry_;
  FunctionTable table_{registry_};
};

inline FunctionParameter Param(std::string name, BindingType type, ParameterLocation location = ParameterLocation::kAny,
                               BindingType element = BindingType::kNone) {
  return {std::move(name), BindingTypeId{type, element, nullptr}, location, false, {}};
}

}  // namespace kel::testing
