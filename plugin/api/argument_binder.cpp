#include "api/argument_binder.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "api/argument_path.h"
#include "api/argument_value_parser.h"
#include "api/url_decode.h"
#include "binding/host_value_conversion.h"
#include "diagnostics/positional_format.h"
#include "serialization/json_reader.h"
#include "serialization/msgpack_reader.h"
#include "serialization/yaml_reader.h"

namespace kel {
namespace {

struct TextArgument {
  std::string name;
  std::string value;
};

std::string_view TextOrEmpty(const char* text) { return text == nullptr ? std::string_view() : text; }

std::string Lowercase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool IsStructured(const BindingTypeId& type) {
  return type.type == BindingType::kObject || type.type == BindingType::kVector || type.type == BindingType::kStruct;
}

// Binds the arguments of one request for one function; each step runs only
// while the outcome is still ok.
class Binder {
 public:
  Binder(BindingResult& outcome, const FunctionRecord& function, std::span<BindingValue> slots)
      : outcome_(outcome), function_(function), slots_(slots) {}

  bool Ok() const { return outcome_.Ok(); }

  void Fail(std::string message) { outcome_.Fail(message); }

  // A header, path or query value (always without a content type).
  void BindText(std::string_view name, std::string_view value, ParameterLocation location) {
    if (!Ok()) return;
    const size_t dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::optional<size_t> index = function_.FindParameter(base);
    if (!index) {
      Fail(FormatMessage("Unknown argument '%1' for '%2'.", base, function_.name));
      return;
    }
    const FunctionParameter& parameter = function_.parameters[*index];
    if (parameter.location != ParameterLocation::kAny && parameter.location != location) {
      Fail(FormatMessage("Argument '%1' for '%2' was specified in an invalid location.", base, function_.name));
      return;
    }
    BindingValue& slot = slots_[*index];
    if (dot != std::string_view::npos) {
      BindingValue* target = ResolveArgumentPath(slot, name.substr(dot + 1), outcome_);
      if (target != nullptr) Store(*target, value, false, name);
      return;
    }
    if (value.empty()) {
      BindAbsent(slot, parameter);
      return;
    }
    Store(slot, value, IsStructured(parameter.type), name);
  }

  void BindCoreArgument(size_t position, const RequestArgumentEntry& entry, size_t path_value_count) {
    if (!Ok()) return;
    std::optional<size_t> index;
    std::string shown_name;
    if (entry.name != nullptr) {
      shown_name = entry.name;
      index = function_.FindParameter(shown_name);
    } else {
      const size_t computed = position + path_value_count;
      shown_name = std::to_string(computed);
      if (computed < function_.parameters.size()) index = computed;
    }
    if (!index) {
      Fail(FormatMessage("Unknown argument '%1' for '%2'.", shown_name, function_.name));
      return;
    }
    BindingResult converted;
    FromHostValue(converted, entry.value, function_.parameters[*index].name);
    if (!converted.Ok()) {
      Fail(std::string(converted.Message()));
      return;
    }
    slots_[*index] = std::move(converted.Value());
  }

  void BindBody(const RequestRecord& record) {
    if (!Ok() || record.body == nullptr) return;
    const FunctionParameter* parameter = nullptr;
    size_t index = 0;
    for (; index < function_.parameters.size(); ++index) {
      if (function_.parameters[index].location == ParameterLocation::kBody) {
        parameter = &function_.parameters[index];
        break;
      }
    }
    if (parameter == nullptr) return;
    const std::string_view bytes(reinterpret_cast<const char*>(record.body), record.body_length);
    const BodyFormat format = BodyFormatOf(TextOrEmpty(record.content_type));
    BindingResult parsed;
    size_t consumed = 0;
    switch (format) {
      case BodyFormat::kUnsupported: Fail("Unsupported body content type"); return;
      case BodyFormat::kMessagePack: parsed = DecodeMsgPack(bytes.data(), bytes.size(), &consumed); break;
      case BodyFormat::kJson:
        // Read as text: up to the first NUL, never past the body's length.
        parsed = ParseJson(std::string(bytes.substr(0, bytes.find('\0'))).c_str());
        break;
      case BodyFormat::kYaml: parsed = ParseYaml(bytes.data(), bytes.substr(0, bytes.find('\0')).size()); break;
    }
    if (!parsed.Ok()) {
      Fail(DeserializeFailure(format, parameter->name, function_.name, parsed.Message()));
      return;
    }
    if (format == BodyFormat::kMessagePack && consumed < bytes.size()) {
      Fail("Extra MessgePack data found in body");
      return;
    }
    slots_[index] = std::move(parsed.Value());
  }

  // Plain bools are false unless the request says otherwise.
  void DefaultBools() {
    for (size_t i = 0; i < function_.parameters.size(); ++i) {
      const FunctionParameter& parameter = function_.parameters[i];
      if (parameter.type.type == BindingType::kBool && !parameter.optional && slots_[i].IsEmpty()) {
        slots_[i].SetBool(false);
      }
    }
  }

 private:
  void BindAbsent(BindingValue& slot, const FunctionParameter& parameter) {
    switch (parameter.type.type) {
      case BindingType::kBool: slot.SetBool(true); return;
      case BindingType::kObject:
      case BindingType::kStruct:
        slot.Clear();
        slot.MakeStructure();
        return;
      case BindingType::kVector:
        slot.Clear();
        slot.MakeCollection();
        return;
      default: Fail(FormatMessage("Expected value for argument '%1'.", parameter.name));
    }
  }

  void Store(BindingValue& target, std::string_view value, bool structured, std::string_view name) {
    BindingResult parsed = ParseArgumentValue(value, {}, structured, name, function_.name);
    if (!parsed.Ok()) {
      Fail(std::string(parsed.Message()));
      return;
    }
    target = std::move(parsed.Value());
  }

  BindingResult& outcome_;
  const FunctionRecord& function_;
  std::span<BindingValue> slots_;
};

std::vector<TextArgument> QueryArguments(std::string_view path) {
  std::vector<TextArgument> arguments;
  const size_t question = path.find('?');
  if (question == std::string_view::npos) return arguments;
  std::string_view query = path.substr(question + 1);
  while (true) {
    const size_t amp = query.find('&');
    const std::string_view part = query.substr(0, amp);
    const size_t equals = part.find('=');
    if (part.empty()) {
      // "a=1&&b=2" or a bare "?": nothing to bind.
    } else if (equals == std::string_view::npos) {
      arguments.push_back({UrlDecode(part), {}});
    } else {
      arguments.push_back({UrlDecode(part.substr(0, equals)), UrlDecode(part.substr(equals + 1))});
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return arguments;
}

}  // namespace

BindingResult BindArguments(const FunctionRecord& function, const RequestObject& request, const RequestRecord& record,
                            const PathValues& path_values, std::span<BindingValue> slots, HeaderMap& headers) {
  BindingResult outcome;
  Binder binder(outcome, function, slots);
  for (uint32_t i = 0; record.headers != nullptr && i < record.header_count; ++i) {
    if (record.headers[i].name == nullptr) continue;
    headers.insert_or_assign(record.headers[i].name, std::string(TextOrEmpty(record.headers[i].value)));
  }
  std::vector<TextArgument> header_arguments;
  for (const FunctionParameter& parameter : function.parameters) {
    if (parameter.location != ParameterLocation::kAny && parameter.location != ParameterLocation::kHeader) {
      continue;
    }
    const auto header = headers.find(Lowercase(parameter.name));
    if (header != headers.end()) header_arguments.push_back({parameter.name, header->second});
  }
  const std::vector<TextArgument> query_arguments = QueryArguments(request.path);

  binder.DefaultBools();
  for (const TextArgument& argument : header_arguments) {
    binder.BindText(argument.name, argument.value, ParameterLocation::kHeader);
  }
  for (const PathValue& value : path_values) {
    binder.BindText(value.name, value.value, ParameterLocation::kPath);
  }
  for (const TextArgument& argument : query_arguments) {
    binder.BindText(argument.name, argument.value, ParameterLocation::kQuery);
  }
  for (uint32_t i = 0; record.arguments != nullptr && i < record.argument_count; ++i) {
    binder.BindCoreArgument(i, record.arguments[i], path_values.size());
  }
  binder.BindBody(record);
  return outcome;
}

}  // namespace kel
