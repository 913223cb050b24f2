// Text for an attached debugger. Linux has no debugger console, so the text
// goes to a sink that a debugging session or a test installs; with no sink
// it is dropped.
#pragma once

namespace kel::platform {

using DebuggerOutputSink = void (*)(const char* text);

// Installs the sink (nullptr removes it). Returns the previous one.
DebuggerOutputSink SetDebuggerOutputSink(DebuggerOutputSink sink);

// Hands one NUL-terminated text to the sink, if any.
void WriteDebuggerOutput(const char* text);

}  // namespace kel::platform
