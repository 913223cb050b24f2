// A body handed to the plug-in as a stream: the response record's read and
// release functions over a text the host owns.
#pragma once

#include <cstdint>
#include <string>

#include "api/request_abi.h"

namespace kel::host {

// Bytes a read delivers at most, like one network segment: a read usually
// gets less than the 4096 bytes it asks for, with more to come, which is
// when the plug-in lets the host pump its pending work.
inline constexpr uint32_t kStreamChunkBytes = 1460;

// Makes `response` carry `text` as a stream: read function, release
// function, size and stream object. The plug-in releases the stream.
void AttachBodyStream(ResponseRecord& response, std::string text);

}  // namespace kel::host
