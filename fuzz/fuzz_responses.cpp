// What the core answers to the plug-in's requests (game data, the session,
// ownership through the relay): any status, error text and value, and
// streamed bodies whose reads report lengths they did not write and whose
// size hints lie. Every record the plug-in is handed must be released and
// every stream closed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "support/byte_source.h"
#include "support/load_sequence.h"
#include "support/scripted_answers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kel::fuzz::ByteSource source(data, size);
  {
    kel::fuzz::PluginRig rig;
    kel::fuzz::ScriptedAnswers answers(rig.core, source);
    kel::fuzz::RunLoadSequence(rig);
    if (answers.Unreleased() != 0 || answers.OpenStreams() != 0) {
      std::fprintf(stderr, "responses: %d records not released, %d streams not closed\n", answers.Unreleased(),
                   answers.OpenStreams());
      std::abort();
    }
  }
  return 0;
}
