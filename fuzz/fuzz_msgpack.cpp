// MessagePack bytes from another process: decoding must never crash or read
// past the input, and must never claim more bytes than it was given.
#include <cstdint>
#include <cstdlib>

#include "serialization/json_writer.h"
#include "serialization/msgpack_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t consumed = 0;
  const kel::BindingResult decoded = kel::DecodeMsgPack(data, size, &consumed);
  if (consumed > size) std::abort();
  if (decoded.Ok()) kel::WriteJson(decoded.Value());
  kel::LooksLikeMsgPack(data, size);
  return 0;
}
