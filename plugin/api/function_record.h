#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "api/compiled_route.h"
#include "api/function_handler.h"
#include "api/request_codes.h"
#include "binding/binding_registry.h"

namespace kel {

struct FunctionParameter {
  std::string name;
  BindingTypeId type;
  ParameterLocation location = ParameterLocation::kAny;
  bool optional = false;
  std::string description;
};

// What a registration supplies. The name is derived from the method and the
// template when left empty; a function without a template is matched
// against its name instead.
struct FunctionDefinition {
  RequestMethod method = RequestMethod::kAny;
  std::string custom_method;  // with RequestMethod::kCustom
  std::string path_template;
  std::vector<FunctionParameter> parameters;
  BindingTypeId result_type;
  std::unique_ptr<FunctionHandler> handler;
  std::string name;
  std::string name_space;
  std::string description;
  std::string help;
  std::vector<std::string> tags;
  bool thread_safe = false;
  std::string async_name;
  // Passed through to the core untouched.
  uint8_t flags = 0;
  std::vector<std::vector<std::string>> text_lists;
};

// A registered function: its definition plus what registration derived from
// it (the compiled route, the parameter index). Read-only after
// registration, so any number of requests may use it at once.
struct FunctionRecord : FunctionDefinition {
  CompiledRoute route;

  // The parameter of that exact name, by its FNV-1a hash.
  std::optional<size_t> FindParameter(std::string_view parameter_name) const;

  std::unordered_multimap<uint32_t, size_t> parameter_index;
};

}  // namespace kel
