// What the host reads from the plug-in's ApiDescription: its functions with
// their routes and invoke entries, and the whole description as a value for
// the control API. Read once after the entry; the description itself stays
// the plug-in's and is not touched after Shutdown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "api/api_description_abi.h"
#include "api/compiled_route.h"
#include "api/request_codes.h"
#include "api/route_match.h"
#include "binding/binding_value.h"

namespace kel::host {

struct ApiFunction {
  std::string name;
  RequestMethod method = RequestMethod::kAny;
  std::string custom_method;
  std::string path_template;  // empty: not reachable over HTTP
  InvokeFn invoke = nullptr;
  const InvokeContext* invoke_context = nullptr;
  CompiledRoute route;
};

struct SelectedFunction {
  const ApiFunction* function = nullptr;
  PathValues values;
};

class ApiCatalog {
 public:
  ApiCatalog() = default;
  // A null description is an API without functions.
  explicit ApiCatalog(const ApiDescription* description);
  ApiCatalog(const ApiCatalog&) = delete;
  ApiCatalog& operator=(const ApiCatalog&) = delete;

  const std::vector<ApiFunction>& Functions() const { return functions_; }
  const ApiFunction* FindByName(std::string_view name) const;
  // The function the core would pick for the request: its template matches
  // the path (without the query), its method fits, and its captured values
  // are the shortest.
  SelectedFunction Select(RequestMethod method, std::string_view custom_method, std::string_view path) const;
  // {"functions": [...], "types": [...], "events": [...]}
  const BindingValue& Description() const { return description_; }

 private:
  std::vector<ApiFunction> functions_;
  std::vector<RouteEntry> routes_;
  std::vector<std::size_t> route_functions_;  // index into functions_ per route
  BindingValue description_;
};

}  // namespace kel::host
