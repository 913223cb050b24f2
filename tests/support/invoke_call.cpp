#include "support/invoke_call.h"

#include <gtest/gtest.h>

#include <cstring>

#include "api/request_abi.h"
#include "binding/host_value_conversion.h"

namespace kel::testing {

TestAnswer CallInvoke(InvokeFn invoke, const RequestRecord& request) {
  ResponseRecord response;
  std::memset(&response, 0xAB, sizeof response);
  invoke(&response, &request);

  TestAnswer answer;
  answer.has_error = response.has_error != 0;
  EXPECT_EQ(answer.has_error, response.error_message != nullptr);
  if (response.error_message != nullptr) answer.error = response.error_message;
  answer.status = response.status;
  BindingResult value;
  FromHostValue(value, response.result, "result");
  EXPECT_TRUE(value.Ok()) << value.Message();
  answer.value = std::move(value.Value());
  response.release(&response);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&response);
  for (size_t i = 0; i < sizeof response; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
  return answer;
}

const FunctionDescriptor* FindFunction(const ApiDescription& description, std::string_view name) {
  for (uint32_t i = 0; i < description.function_count; ++i) {
    if (name == description.functions[i].description.name) return &description.functions[i];
  }
  return nullptr;
}

TestAnswer CallFunction(const ApiDescription& description, std::string_view name, const std::string& path,
                        RequestMethod method) {
  const FunctionDescriptor* function = FindFunction(description, name);
  EXPECT_NE(function, nullptr) << name;
  if (function == nullptr) return {};
  RequestRecord request = {};
  request.method = static_cast<uint32_t>(method);
  request.path = path.c_str();
  request.invoke_context = function->description.invoke_context;
  return CallInvoke(function->invoke, request);
}

}  // namespace kel::testing
