#include "platform/debugger_output.h"

#include <atomic>

namespace kel::platform {

namespace {
std::atomic<DebuggerOutputSink> g_sink{nullptr};
}  // namespace

DebuggerOutputSink SetDebuggerOutputSink(DebuggerOutputSink sink) { return g_sink.exchange(sink); }

void WriteDebuggerOutput(const char* text) {
  if (DebuggerOutputSink sink = g_sink.load()) sink(text);
}

}  // namespace kel::platform
