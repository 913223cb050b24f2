#include "host/body_stream.h"

#include <algorithm>
#include <cstring>

namespace kel::host {
namespace {

struct BodyStream {
  std::string text;
  std::size_t offset = 0;
};

// read(stream, buffer, in/out length, out more-flag): the plug-in's thread,
// until it releases the stream.
uint32_t ReadBodyStream(void* stream, uintptr_t buffer, uintptr_t length, uintptr_t more) {
  if (stream == nullptr || buffer == 0 || length == 0 || more == 0) return 0;
  auto& body = *static_cast<BodyStream*>(stream);
  auto& room = *reinterpret_cast<uint32_t*>(length);
  const std::size_t left = body.text.size() - body.offset;
  const std::size_t count = std::min<std::size_t>({left, room, kStreamChunkBytes});
  std::memcpy(reinterpret_cast<char*>(buffer), body.text.data() + body.offset, count);
  body.offset += count;
  room = static_cast<uint32_t>(count);
  *reinterpret_cast<uint8_t*>(more) = body.offset < body.text.size() ? 1 : 0;
  return 1;
}

void ReleaseBodyStream(void* stream) { delete static_cast<BodyStream*>(stream); }

}  // namespace

void AttachBodyStream(ResponseRecord& response, std::string text) {
  auto* stream = new BodyStream{std::move(text), 0};
  response.read_body = &ReadBodyStream;
  response.release_body = &ReleaseBodyStream;
  response.body_size = static_cast<uint32_t>(stream->text.size());
  response.body_stream = stream;
}

}  // namespace kel::host
