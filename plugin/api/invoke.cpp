#include "api/invoke.h"

#include <cstring>
#include <vector>

#include "api/api_description_abi.h"
#include "api/argument_binder.h"
#include "api/response_writer.h"
#include "api/route_match.h"
#include "diagnostics/boundary_guard.h"
#include "platform/clock.h"

namespace kel {
namespace {

void Dispatch(ResponseRecord& response, const RequestRecord& request, const InvokeContext& context) {
  const FunctionRecord& function = *context.function;
  RequestObject object{MethodFromWire(request.method), request.path == nullptr ? "" : request.path, {}};
  if (object.method == RequestMethod::kCustom && request.custom_method != nullptr) {
    object.custom_method = request.custom_method;
  }
  const RouteEntry entry{&function.route, function.method, function.custom_method};
  std::optional<RouteMatch> match =
      MatchRoute(std::span(&entry, 1), {object.method, object.custom_method, PathWithoutQuery(object.path)});
  if (!match) {
    WriteFailedResponse(response, kStatusNotFound, "Invalid function");
    return;
  }

  CallResult call;
  std::vector<BindingValue> slots(function.parameters.size());
  HeaderMap headers;
  call.result = BindArguments(function, object, request, match->values, slots, headers);
  std::unique_ptr<CallState> state;
  if (call.result.Ok()) state = function.handler->Prepare(call, slots, request.request_token);
  if (!call.result.Ok()) {
    // Arguments that cannot be bound or converted are the caller's fault.
    call.status = kStatusBadRequest;
  } else if (state) {
    if (function.handler->TakesRequestInfo()) {
      const RequestInfo info{request.request_token,
                             platform::WallClockMilliseconds(),
                             object.path,
                             context.registry,
                             object.method,
                             object.custom_method,
                             &headers};
      function.handler->Run(call, &info, *state, request.request_token);
    } else {
      function.handler->Run(call, nullptr, *state, request.request_token);
    }
  }
  WriteResponse(response, call, context.registry);
}

// Out of memory, or a handler that threw: reported, never unwound into the
// core. What was written so far is released first.
void ReplaceWithInternalError(ResponseRecord& response, const char* message) {
  ReleaseResponse(&response);
  response.release = &ReleaseResponse;
  WriteFailedResponse(response, kStatusInternalError, message);
}

}  // namespace

void InvokeFunction(ResponseRecord* response, const RequestRecord* request) noexcept {
  if (response == nullptr) return;
  std::memset(static_cast<void*>(response), 0, sizeof(ResponseRecord));
  response->release = &ReleaseResponse;
  const auto* context = request == nullptr ? nullptr : static_cast<const InvokeContext*>(request->invoke_context);
  GuardEntry(
      "Invoke", request == nullptr ? nullptr : request->path,
      [&] {
        if (context == nullptr || context->function == nullptr) {
          WriteFailedResponse(*response, kStatusNotFound, "Invalid function");
          return;
        }
        Dispatch(*response, *request, *context);
      },
      [&](const char* reason) { ReplaceWithInternalError(*response, reason); });
}

}  // namespace kel
