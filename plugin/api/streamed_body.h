#pragma once

#include <cstddef>

#include "api/request_abi.h"
#include "binding/binding_result.h"

namespace kel {

class CorePort;

// Bytes asked for by each read of a streamed body.
inline constexpr std::size_t kStreamChunkSize = 4096;
// The most a size hint from the core reserves up front; a longer body still
// grows the buffer as its bytes arrive.
inline constexpr std::size_t kMaxStreamReserve = std::size_t{64} << 20;

// Reads the body stream of a response (one whose read function is set) to
// its end and parses it as JSON. A short chunk with more data to come first
// lets the core run pending work on this thread (a yield), since the rest is
// not there yet. The stream stays open: its HostResponse closes it.
// Failures: "Stream read error" when a read reports one, otherwise the
// parser's message.
BindingResult ReadStreamedBody(CorePort& plugin, const ResponseRecord& response);

}  // namespace kel
