#pragma once

#include <cstdint>
#include <string_view>

#include "api/call_result.h"
#include "api/request_abi.h"

namespace kel {

class BindingRegistry;

// The release function every response record carries (see request_abi.h).
void ReleaseResponse(ResponseRecord* response);

// Fills the record from a finished call: the error text or the result value
// (enum values written as names through `registry`), the flag byte, format,
// status, text, headers and the body stream, which the record takes over.
// The record must be zeroed, with only its release function set.
void WriteResponse(ResponseRecord& response, CallResult& call, const BindingRegistry* registry);

// A response that carries only an error text and a status.
void WriteFailedResponse(ResponseRecord& response, uint32_t status, std::string_view message);

}  // namespace kel
