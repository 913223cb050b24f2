#include "host/decode_command.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "binding/binding_result.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"
#include "serialization/msgpack_reader.h"
#include "serialization/yaml_reader.h"

namespace kel::host {
namespace {

BindingResult Decode(const std::string& format, const std::string& bytes) {
  if (format == "json") return ParseJson(bytes.c_str());
  if (format == "yaml") return ParseYaml(bytes.data(), bytes.size());
  std::size_t consumed = 0;
  BindingResult value = DecodeMsgPack(bytes.data(), bytes.size(), &consumed);
  // A body holds exactly one value; the plug-in refuses bytes after it.
  if (value.Ok() && consumed < bytes.size()) value.Fail("Extra MessgePack data found in body");
  return value;
}

}  // namespace

int RunDecode(const std::string& format, const std::string& file) {
  std::string bytes;
  if (file.empty() || file == "-") {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "kel-host decode: cannot read %s\n", file.c_str());
      return 2;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const BindingResult value = Decode(format, bytes);
  if (!value.Ok()) {
    const std::string message(value.Message());
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
  }
  const std::string json = value.Value().IsEmpty() ? "null" : WriteJson(value.Value());
  std::printf("%s\n", json.c_str());
  return 0;
}

}  // namespace kel::host
