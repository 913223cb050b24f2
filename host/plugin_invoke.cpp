#include "host/plugin_invoke.h"

#include <cstring>

#include "host/host_value_json.h"

namespace kel::host {
namespace {

constexpr uint32_t kChunk = 4096;
// A stream that never says it is done is cut off here.
constexpr std::size_t kMaxStreamedBody = std::size_t{256} << 20;

// Reads a response's body stream to its end. Returns false when a read
// reports failure.
bool ReadStream(const ResponseRecord& response, std::string& text) {
  char buffer[kChunk];
  uint8_t more = 1;
  while (more != 0 && text.size() < kMaxStreamedBody) {
    uint32_t length = kChunk;
    const uint32_t ok = response.read_body(response.body_stream, reinterpret_cast<uintptr_t>(buffer),
                                           reinterpret_cast<uintptr_t>(&length), reinterpret_cast<uintptr_t>(&more));
    if ((ok & 0xFFu) == 0) return false;
    text.append(buffer, std::min(length, kChunk));
  }
  return true;
}

InvokeAnswer ReadResponse(const ResponseRecord& response) {
  InvokeAnswer answer;
  const uint32_t status = response.status;
  if (response.error_message != nullptr) {
    return ErrorAnswer(status >= 400 && status <= 599 ? static_cast<int>(status) : 400, response.error_message);
  }
  answer.status = status >= 100 && status <= 599 ? static_cast<int>(status) : 200;
  if (response.headers != nullptr) {
    for (uint32_t i = 0; i < response.header_count; ++i) {
      const ResponseHeaderPair& pair = response.headers[i];
      if (pair.name != nullptr && pair.value != nullptr) answer.headers.emplace_back(pair.name, pair.value);
    }
  }
  if (response.read_body != nullptr) {
    std::string text;
    if (!ReadStream(response, text)) return ErrorAnswer(502, "The plug-in's body stream reported a read error.");
    answer.json = std::move(text);
  } else {
    answer.json = HostValueToJson(response.result);
  }
  return answer;
}

}  // namespace

InvokeAnswer ErrorAnswer(int status, const std::string& message) {
  std::string json = WrittenJson([&](JsonWriter& out) {
    out.StartObject();
    out.Key("httpStatus");
    out.Int(status);
    out.Key("message");
    WriteText(out, message);
    out.EndObject();
  });
  return InvokeAnswer{status, std::move(json), {}};
}

InvokeAnswer InvokeFunction(const ApiFunction& function, const InboundRequest& request, uint32_t token) {
  std::vector<RequestHeaderEntry> headers;
  headers.reserve(request.headers.size());
  for (const auto& [name, value] : request.headers) headers.push_back(RequestHeaderEntry{name.c_str(), value.c_str()});

  RequestRecord record;
  std::memset(&record, 0, sizeof record);
  record.method = static_cast<uint32_t>(request.method);
  record.path = request.path.c_str();
  record.invoke_context = function.invoke_context;
  record.headers = headers.empty() ? nullptr : headers.data();
  record.header_count = static_cast<uint32_t>(headers.size());
  record.content_type = request.content_type.empty() ? nullptr : request.content_type.c_str();
  record.body = request.body.empty() ? nullptr : reinterpret_cast<const uint8_t*>(request.body.data());
  record.body_length = static_cast<uint32_t>(request.body.size());
  record.request_token = token;
  record.custom_method = request.method == MethodCode::kCustom ? request.custom_method.c_str() : nullptr;

  ResponseRecord response;
  std::memset(&response, 0, sizeof response);
  function.invoke(&response, &record);
  InvokeAnswer answer = ReadResponse(response);
  if (response.read_body != nullptr && response.release_body != nullptr) response.release_body(response.body_stream);
  if (response.release != nullptr) response.release(&response);
  return answer;
}

}  // namespace kel::host
