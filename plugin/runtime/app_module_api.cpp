// The entry steps that belong to the type registry and the route layer:
// registering the runtime's bound types and events, and building the
// function list handed to the core. They join AppModule here as those
// layers land.
#include "runtime/app_module.h"

namespace kel {

void AppModule::RegisterRuntimeTypes() {}

const ApiDescription* AppModule::BuildApiDescription() {
  api_description_.Build(functions_);
  return &api_description_.Description();
}

}  // namespace kel
