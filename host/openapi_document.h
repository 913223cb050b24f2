// An OpenAPI 3.1 document of the plug-in's HTTP routes, written from the
// records of the API description it handed the core: a path item per route
// template, its parameters with their locations and types, the answer's
// schema from the registered types (enumerations by their names), and the
// plug-in's events under "x-events". Read while the description is valid,
// that is between the entry and Shutdown.
#pragma once

#include <string>

#include "api/api_description_abi.h"

namespace kel::host {

// A null description is an API without routes.
std::string OpenApiDocument(const ApiDescription* description, const std::string& title);

}  // namespace kel::host
