#pragma once

#include "api/request_abi.h"

namespace kel {

// The invoke entry of every bound function (offset 61 of its descriptor).
// Called by the core on any of its threads, possibly on several at once;
// each call uses only its own objects and the read-only function table.
// Matches the request against the function found through the request's
// invoke context, binds the arguments, runs the handler and fills
// `response`, installing the release function first. Failures travel in the
// response; nothing is thrown to the core.
void InvokeFunction(ResponseRecord* response, const RequestRecord* request) noexcept;

}  // namespace kel
