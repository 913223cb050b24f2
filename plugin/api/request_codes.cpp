#include "api/request_codes.h"

namespace kel {

std::string_view MethodText(RequestMethod method) {
  switch (method) {
    case RequestMethod::kDelete: return "DELETE";
    case RequestMethod::kGet: return "GET";
    case RequestMethod::kHead: return "HEAD";
    case RequestMethod::kOptions: return "OPTIONS";
    case RequestMethod::kPatch: return "PATCH";
    case RequestMethod::kPost: return "POST";
    case RequestMethod::kPut: return "PUT";
    case RequestMethod::kAny:
    case RequestMethod::kCustom: break;
  }
  return {};
}

}  // namespace kel
