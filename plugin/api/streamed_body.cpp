#include "api/streamed_body.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>

#include "async/await.h"
#include "runtime/core_port.h"
#include "serialization/json_reader.h"

namespace kel {
namespace {

// Calls the stream's read with the buffer, the in/out length and the
// more-flag as its three words; true when the read succeeded.
bool ReadChunk(const ResponseRecord& response, char* buffer, std::uint32_t& length, std::uint8_t& more) {
  const std::uint32_t ok =
      response.read_body(response.body_stream, reinterpret_cast<std::uintptr_t>(buffer),
                         reinterpret_cast<std::uintptr_t>(&length), reinterpret_cast<std::uintptr_t>(&more));
  return static_cast<std::uint8_t>(ok) != 0;
}

BindingResult ReadAndParse(CorePort& plugin, const ResponseRecord& response) {
  std::string text;
  text.reserve(std::min<std::size_t>(response.body_size, kMaxStreamReserve));
  char buffer[kStreamChunkSize];
  std::uint8_t more = 1;
  while (more != 0) {
    std::uint32_t length = kStreamChunkSize;
    if (!ReadChunk(response, buffer, length, more)) {
      BindingResult failed;
      failed.Fail("Stream read error");
      return failed;
    }
    // The stream may not claim more than it was given room for.
    length = std::min<std::uint32_t>(length, kStreamChunkSize);
    text.append(buffer, length);
    if (length < kStreamChunkSize) {
      if (more == 0) break;
      YieldToHost(plugin);
    }
  }
  return ParseJson(text.c_str());
}

}  // namespace

BindingResult ReadStreamedBody(CorePort& plugin, const ResponseRecord& response) {
  BindingResult body;
  try {
    body = ReadAndParse(plugin, response);
  } catch (const std::bad_alloc&) {
    body.Fail("Streamed body too large to hold in memory");
  }
  return body;
}

}  // namespace kel
