// YAML text from another process: parsing must never crash, and aliases
// must not expand without bound.
#include <cstdint>

#include "serialization/json_writer.h"
#include "serialization/yaml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kel::BindingResult parsed = kel::ParseYaml(reinterpret_cast<const char*>(data), size);
  if (parsed.Ok()) kel::WriteJson(parsed.Value());
  return 0;
}
