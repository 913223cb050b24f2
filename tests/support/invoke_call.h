// A request through a plug-in's invoke entry as the core makes it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "api/api_description_abi.h"
#include "api/request_abi.h"
#include "api/request_codes.h"
#include "binding/binding_value.h"
#include "binding/host_value_conversion.h"

namespace kel::testing {

// What came back in the response record, copied out before it was released.
struct TestAnswer {
  bool has_error = false;
  std::string error;
  uint32_t status = 0;
  BindingValue value;
};

// Calls `invoke` with a response record that starts dirty (the core's need
// not be clean), copies the answer out, releases the record and checks that
// the release zeroed all of it.
inline TestAnswer CallInvoke(InvokeFn invoke, const RequestRecord& request) {
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

// A request for `path` through the invoke entry of the named function.
inline TestAnswer CallFunction(const ApiDescription& description, std::string_view name, const std::string& path,
                               RequestMethod method = RequestMethod::kGet) {
  const FunctionDescriptor* function = nullptr;
  for (uint32_t i = 0; i < description.function_count && function == nullptr; ++i) {
    if (name == description.functions[i].description.name) function = &description.functions[i];
  }
  EXPECT_NE(function, nullptr) << name;
  if (function == nullptr) return {};
  RequestRecord request = {};
  request.method = static_cast<uint32_t>(method);
  request.path = path.c_str();
  request.invoke_context = function->description.invoke_context;
  return CallInvoke(function->invoke, request);
}

}  // namespace kel::testing
