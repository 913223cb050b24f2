// JSON text from another process: parsing must never crash, and whatever
// parses must write back to text that parses again. (The written text need
// not be byte-identical after a second pass: the reader's default number
// parsing may land one unit off in the last place for long numbers.)
#include <cstdint>
#include <cstdlib>
#include <string>

#include "serialization/json_reader.h"
#include "serialization/json_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const kel::BindingResult parsed = kel::ParseJson(text.c_str());
  if (!parsed.Ok()) return 0;
  if (!kel::ParseJson(kel::WriteJson(parsed.Value()).c_str()).Ok()) std::abort();
  if (!kel::ParseJson(kel::WriteJson(parsed.Value(), "\r\n").c_str()).Ok()) std::abort();
  return 0;
}
