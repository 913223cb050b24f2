#pragma once

#include <string_view>

#include "binding/binding_result.h"

namespace kel {

// Families of body content types the plug-in reads.
enum class BodyFormat { kMessagePack, kJson, kYaml, kUnsupported };

// Compares by prefix, ignoring letter case, so that parameters such as
// "; charset=utf-8" do not matter: "application/x-msgpack",
// "application/json" or "application/vnd.api+json", "application/x-yaml".
BodyFormat BodyFormatOf(std::string_view content_type);

// True when `text` starts with `prefix`, ignoring ASCII letter case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Turns one argument's bytes into a value. The content type chooses the
// reader; without one, a structured parameter (object, vector, struct) is
// recognised by its first byte as MessagePack, JSON or YAML. Anything else
// stays a string for the parameter's own text conversion later. Reader
// failures name the argument and the function.
BindingResult ParseArgumentValue(std::string_view bytes, std::string_view content_type, bool structured,
                                 std::string_view argument_name, std::string_view function_name);

// The message for a reader failure: "Couldn't deserialize <format> value for
// parameter '<argument>' of '<function>': <reason>".
std::string DeserializeFailure(BodyFormat format, std::string_view argument_name, std::string_view function_name,
                               std::string_view reason);

}  // namespace kel
