#pragma once

#include <span>
#include <string_view>

#include "api/compiled_route.h"
#include "api/function_handler.h"
#include "api/function_record.h"
#include "api/request_abi.h"
#include "binding/binding_result.h"

namespace kel {

// The request as the route layer saw it: the method, the whole path text
// (the query string after "?" included) and, for RequestMethod::kCustom,
// the method's name.
struct RequestObject {
  RequestMethod method;
  std::string_view path;
  std::string_view custom_method;
};

// Fills `slots` (one per parameter, empty at the start) from the request:
// headers, then a false for every plain bool parameter, header, path and
// query values, the arguments the core passed beside the request, and the
// body. The first failure stops the binding and is the outcome returned;
// an ok outcome holds no value. `headers` receives the request's headers by
// name.
[[nodiscard]] BindingResult BindArguments(const FunctionRecord& function, const RequestObject& request,
                                          const RequestRecord& record, const PathValues& path_values,
                                          std::span<BindingValue> slots, HeaderMap& headers);

}  // namespace kel
