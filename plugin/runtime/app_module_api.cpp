// The entry step that belongs to the route layer: building the function
// list handed to the core.
#include "runtime/app_module.h"

namespace kel {

const ApiDescription* AppModule::BuildApiDescription() {
  api_description_.Build(functions_);
  return &api_description_.Description();
}

}  // namespace kel
