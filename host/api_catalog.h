// What the host reads from the plug-in's ApiDescription: its functions with
// their invoke entries, and the whole description as JSON for the control
// API. Read once after the entry; the description itself stays the
// plug-in's and is not touched after Shutdown. Which function serves a path
// the host decides from its own route table (champion_routes.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "api/api_description_abi.h"
#include "host/method_codes.h"

namespace kel::host {

struct ApiFunction {
  std::string name;
  MethodCode method = MethodCode::kAny;
  std::string custom_method;
  std::string path_template;  // empty: not reachable over HTTP
  InvokeFn invoke = nullptr;
  const InvokeContext* invoke_context = nullptr;
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
  // The function that serves the request: the route of the host's table
  // whose template matches the path, provided the plug-in describes a
  // function of that name with that template and a method that fits.
  const ApiFunction* Select(MethodCode method, std::string_view custom_method, std::string_view path) const;
  // {"functions": [...], "types": [...], "events": [...]} as JSON text.
  const std::string& DescriptionJson() const { return description_json_; }

 private:
  std::vector<ApiFunction> functions_;
  std::string description_json_;
};

}  // namespace kel::host
