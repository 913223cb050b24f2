// A request through a plug-in's invoke entry as the core makes it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "api/api_description_abi.h"
#include "api/request_codes.h"
#include "binding/binding_value.h"

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
TestAnswer CallInvoke(InvokeFn invoke, const RequestRecord& request);

// The function of that name in the description, or null.
const FunctionDescriptor* FindFunction(const ApiDescription& description, std::string_view name);
// A request for `path` through the invoke entry of the named function.
TestAnswer CallFunction(const ApiDescription& description, std::string_view name, const std::string& path,
                        RequestMethod method = RequestMethod::kGet);

}  // namespace kel::testing
