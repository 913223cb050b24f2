#include "api/response_writer.h"

#include <cstring>

#include "api/request_codes.h"
#include "binding/host_value_arena.h"
#include "binding/host_value_conversion.h"

namespace kel {
namespace {

// The text of a response whose call result had none; never freed.
constexpr char kSharedEmptyText[] = "";

char* CopyText(std::string_view text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

uint32_t ReadBodyStream(void* stream, uintptr_t a, uintptr_t b, uintptr_t c) {
  return static_cast<ResponseBodyStream*>(stream)->Read(a, b, c);
}

void ReleaseBodyStream(void* stream) { delete static_cast<ResponseBodyStream*>(stream); }

}  // namespace

void ReleaseResponse(ResponseRecord* response) {
  if (response == nullptr) return;
  ReleaseArenaHostValue(response->result);
  delete[] response->error_message;
  if (response->text != kSharedEmptyText) delete[] response->text;
  for (uint32_t i = 0; response->headers != nullptr && i < response->header_count; ++i) {
    delete[] response->headers[i].name;
    delete[] response->headers[i].value;
  }
  delete[] response->headers;
  std::memset(static_cast<void*>(response), 0, sizeof(ResponseRecord));
}

void WriteFailedResponse(ResponseRecord& response, uint32_t status, std::string_view message) {
  response.error_message = CopyText(message);
  response.has_error = 1;
  response.status = status;
  response.text = kSharedEmptyText;
}

void WriteResponse(ResponseRecord& response, CallResult& call, const BindingRegistry* registry) {
  // The value lives in one arena that the release function frees whole.
  if (call.result.Ok() && call.written) {
    response.result = call.written->value;
    call.written->arena.HandOverTo(response.result);
  } else if (call.result.Ok()) {
    // Only running out of memory fails here; the result then stays null and
    // the failure is reported instead.
    HostValueArena arena;
    BindingResult conversion;
    ToHostValue(conversion, call.result.Value(), response.result, registry, arena);
    if (conversion.Ok())
      arena.HandOverTo(response.result);
    else
      call.result.Fail(conversion.Message());
  }
  if (!call.result.Ok()) {
    response.error_message = CopyText(call.result.Message());
    response.has_error = 1;
  }
  response.flags = call.flags;
  response.format = static_cast<uint32_t>(FormatFromCode(call.format));
  response.status = call.status;
  response.text = call.text.empty() ? kSharedEmptyText : CopyText(call.text);
  if (!call.headers.empty()) {
    response.headers = new ResponseHeaderPair[call.headers.size()];
    response.header_count = static_cast<uint32_t>(call.headers.size());
    for (size_t i = 0; i < call.headers.size(); ++i) {
      response.headers[i].name = CopyText(call.headers[i].first);
      response.headers[i].value = CopyText(call.headers[i].second);
    }
  }
  if (call.body) {
    response.read_body = &ReadBodyStream;
    response.release_body = &ReleaseBodyStream;
    response.body_size = call.body->Size();
    response.body_stream = call.body.release();
  }
}

}  // namespace kel
