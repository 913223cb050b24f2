// kel-host decode: what the plug-in's own readers make of some bytes. The
// one part of the host that links the plug-in's code, kept in a library of
// its own (kel_host_decode) apart from the core's side.
#pragma once

#include <string>

namespace kel::host {

// Reads `file` (standard input when empty) and decodes it as `format`
// ("json", "yaml" or "msgpack"). Prints the value as compact JSON on
// standard output, or the reader's message on standard error. Returns the
// exit status.
int RunDecode(const std::string& format, const std::string& file);

}  // namespace kel::host
