#pragma once

#include <deque>

#include "api/function_record.h"

namespace kel {

class BindingRegistry;

// The plug-in's bound functions in registration order. Functions are
// registered once, during RegisterRoutes, before any request arrives, and
// are read-only afterwards; their addresses never change, so the invoke
// contexts handed to the core can point at them.
class FunctionTable {
 public:
  explicit FunctionTable(BindingRegistry& registry) : registry_(registry) {}
  FunctionTable(const FunctionTable&) = delete;
  FunctionTable& operator=(const FunctionTable&) = delete;

  // Names the function (the name rule on method and template) unless the
  // definition names it, and compiles its route once.
  const FunctionRecord& Register(FunctionDefinition definition);

  const std::deque<FunctionRecord>& Functions() const { return functions_; }
  BindingRegistry& Registry() const { return registry_; }

 private:
  BindingRegistry& registry_;
  std::deque<FunctionRecord> functions_;
};

}  // namespace kel
