// One inbound request handed to a function's invoke entry, as the core does
// it: the request record built from the HTTP request, the response record
// read back (inline value or body stream) and released through the
// plug-in's own release function.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/api_catalog.h"
#include "host/method_codes.h"

namespace kel::host {

struct InboundRequest {
  MethodCode method = MethodCode::kGet;
  std::string custom_method;
  std::string path;                                          // with the query string, if any, after "?"
  std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
  std::string content_type;
  std::string body;
};

struct InvokeAnswer {
  int status = 200;
  std::string json;  // the result, or {"httpStatus", "message"} for a failure
  std::vector<std::pair<std::string, std::string>> headers;
};

// Calls the function on the calling thread. A failure the plug-in reports
// without an error status (argument binding sets none) is answered with 400:
// the request could not be bound to the function as given.
InvokeAnswer InvokeFunction(const ApiFunction& function, const InboundRequest& request, uint32_t token);

// The answer for a request that reached no plug-in code.
InvokeAnswer ErrorAnswer(int status, const std::string& message);

}  // namespace kel::host
