#include "api/argument_value_parser.h"

#include <string>

#include "diagnostics/positional_format.h"
#include "serialization/json_reader.h"
#include "serialization/msgpack_reader.h"
#include "serialization/yaml_reader.h"

namespace kel {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view SkipSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// The reader a structured value without a content type is recognised by.
BodyFormat SniffStructuredFormat(std::string_view bytes) {
  if (LooksLikeMsgPack(bytes.data(), bytes.size())) return BodyFormat::kMessagePack;
  const std::string_view text = SkipSpaces(bytes);
  if (text.starts_with('{') || text.starts_with('[')) return BodyFormat::kJson;
  if (text.starts_with("---")) return BodyFormat::kYaml;
  return BodyFormat::kUnsupported;
}

BindingResult Read(BodyFormat format, std::string_view bytes, std::string_view argument_name,
                   std::string_view function_name) {
  BindingResult parsed;
  switch (format) {
    case BodyFormat::kMessagePack: parsed = DecodeMsgPack(bytes.data(), bytes.size()); break;
    case BodyFormat::kJson: parsed = ParseJson(std::string(bytes).c_str()); break;
    case BodyFormat::kYaml: parsed = ParseYaml(bytes.data(), bytes.size()); break;
    case BodyFormat::kUnsupported: parsed.Value().SetString(bytes); return parsed;
  }
  if (!parsed.Ok()) {
    parsed.Fail(DeserializeFailure(format, argument_name, function_name, parsed.Message()));
  }
  return parsed;
}

}  // namespace

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
  }
  return true;
}

BodyFormat BodyFormatOf(std::string_view content_type) {
  if (StartsWithIgnoringCase(content_type, "application/x-msgpack")) return BodyFormat::kMessagePack;
  if (StartsWithIgnoringCase(content_type, "application/json") ||
      StartsWithIgnoringCase(content_type, "application/vnd.api+json")) {
    return BodyFormat::kJson;
  }
  if (StartsWithIgnoringCase(content_type, "application/x-yaml")) return BodyFormat::kYaml;
  return BodyFormat::kUnsupported;
}

BindingResult ParseArgumentValue(std::string_view bytes, std::string_view content_type, bool structured,
                                 std::string_view argument_name, std::string_view function_name) {
  BodyFormat format = BodyFormat::kUnsupported;
  if (StartsWithIgnoringCase(content_type, "application/x-msgpack")) {
    format = BodyFormat::kMessagePack;
  } else if (content_type.empty() && structured) {
    format = SniffStructuredFormat(bytes);
  } else if (StartsWithIgnoringCase(content_type, "application/json")) {
    format = BodyFormat::kJson;
  } else if (StartsWithIgnoringCase(content_type, "text/x-yaml")) {
    format = BodyFormat::kYaml;
  } else if (StartsWithIgnoringCase(content_type, "application/octet-stream")) {
    BindingResult blob;
    blob.Value().SetBlob(bytes.data(), bytes.size());
    return blob;
  }
  return Read(format, bytes, argument_name, function_name);
}

std::string DeserializeFailure(BodyFormat format, std::string_view argument_name, std::string_view function_name,
                               std::string_view reason) {
  const char* message = "Couldn't deserialize JSON value for parameter '%1' of '%2': %3";
  if (format == BodyFormat::kMessagePack) {
    message = "Couldn't deserialize MessagePack value for parameter '%1' of '%2': %3";
  } else if (format == BodyFormat::kYaml) {
    message = "Couldn't deserialize YAML value for parameter '%1' of '%2': %3";
  }
  return FormatMessage(message, argument_name, function_name, reason);
}

}  // namespace kel
