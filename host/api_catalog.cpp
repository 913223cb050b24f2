#include "host/api_catalog.h"

#include <algorithm>

#include "binding/type_list_abi.h"
#include "host/champion_routes.h"
#include "host/json.h"

namespace kel::host {
namespace {

// Lists longer than this are not believed: a broken description must not
// send the host walking through memory.
constexpr uint32_t kMaxListLength = 100000;

std::string_view Text(const char* text) { return text != nullptr ? std::string_view(text) : std::string_view(); }

// The names of the type codes in the description's records.
std::string_view TypeText(int64_t code) {
  static constexpr std::string_view kNames[] = {"",       "bool",   "int8",   "uint8",  "int16",    "uint16", "int32",
                                                "uint32", "int64",  "uint64", "float",  "double",   "string", "object",
                                                "blob",   "vector", "enum",   "struct", "callback", "map"};
  return code >= 0 && code < static_cast<int64_t>(std::size(kNames)) ? kNames[code] : std::string_view();
}

void Key(JsonWriter& out, const char* key) { out.Key(key); }
void Field(JsonWriter& out, const char* key, std::string_view text) {
  Key(out, key);
  WriteText(out, text);
}

void DescribeType(JsonWriter& out, int64_t type, int64_t element_type, const char* type_name) {
  Field(out, "type", TypeText(type));
  if (element_type != 0) Field(out, "elementType", TypeText(element_type));
  if (!Text(type_name).empty()) Field(out, "typeName", Text(type_name));
}

void DescribeTags(JsonWriter& out, const char* const* tags, uint32_t count) {
  Key(out, "tags");
  out.StartArray();
  for (uint32_t i = 0; tags != nullptr && i < count && i < kMaxListLength; ++i) WriteText(out, Text(tags[i]));
  out.EndArray();
}

void DescribeFunction(JsonWriter& out, const FunctionDescriptor& function) {
  const FunctionDescriptionRecord& record = function.description;
  out.StartObject();
  Field(out, "name", Text(record.name));
  Field(out, "namespace", Text(record.name_space));
  const MethodCode method = MethodFromCode(function.method);
  Field(out, "method", method == MethodCode::kCustom ? Text(function.custom_method) : MethodName(method));
  Field(out, "path", Text(function.path_template));
  Field(out, "description", Text(record.description));
  Field(out, "help", Text(record.help));
  Key(out, "threadSafe");
  out.Bool(record.thread_safe != 0);
  Key(out, "result");
  out.StartObject();
  DescribeType(out, record.result_type, record.result_element_type, record.result_type_name);
  out.EndObject();
  DescribeTags(out, record.tags, record.tag_count);
  Key(out, "arguments");
  out.StartArray();
  const ParameterEntry* parameter = function.parameters;
  const uint32_t count = record.arguments != nullptr ? std::min(uint32_t{record.argument_count}, kMaxListLength) : 0;
  for (uint32_t i = 0; i < count; ++i) {
    const ArgumentRecord& argument = record.arguments[i];
    out.StartObject();
    Field(out, "name", Text(argument.name));
    Field(out, "description", Text(argument.description));
    Key(out, "optional");
    out.Bool(argument.optional != 0);
    DescribeType(out, argument.type, argument.element_type, argument.type_name);
    if (parameter != nullptr) {
      Key(out, "location");
      out.Uint(parameter->location);
      parameter = parameter->next;
    }
    out.EndObject();
  }
  out.EndArray();
  out.EndObject();
}

void DescribeTypes(JsonWriter& out, const BindingTypeRecord* types, uint32_t count) {
  out.StartArray();
  for (uint32_t i = 0; types != nullptr && i < count && i < kMaxListLength; ++i) {
    const BindingTypeRecord& type = types[i];
    out.StartObject();
    Field(out, "name", Text(type.name));
    Field(out, "namespace", Text(type.name_space));
    Field(out, "description", Text(type.description));
    Key(out, "size");
    out.Uint64(type.size);
    DescribeTags(out, type.tags, type.tag_count);
    const uint32_t members = std::min(type.member_count, kMaxListLength);
    if (type.fields != nullptr) {
      Key(out, "fields");
      out.StartArray();
      for (uint32_t f = 0; f < members; ++f) {
        const BindingFieldRecord& field = type.fields[f];
        out.StartObject();
        Field(out, "name", Text(field.name));
        Key(out, "optional");
        out.Bool(field.optional != 0);
        DescribeType(out, field.type, field.element_type, field.type_name);
        out.EndObject();
      }
      out.EndArray();
    } else if (type.enumerators != nullptr) {
      Key(out, "values");
      out.StartArray();
      for (uint32_t e = 0; e < members; ++e) {
        out.StartObject();
        Field(out, "name", Text(type.enumerators[e].name));
        Key(out, "value");
        out.Int64(type.enumerators[e].value);
        out.EndObject();
      }
      out.EndArray();
    }
    out.EndObject();
  }
  out.EndArray();
}

void DescribeEvents(JsonWriter& out, const BindingEventRecord* events, uint32_t count) {
  out.StartArray();
  for (uint32_t i = 0; events != nullptr && i < count && i < kMaxListLength; ++i) {
    out.StartObject();
    Field(out, "name", Text(events[i].name));
    Field(out, "namespace", Text(events[i].name_space));
    Field(out, "payloadType", Text(events[i].payload_type_name));
    Field(out, "description", Text(events[i].description));
    out.EndObject();
  }
  out.EndArray();
}

bool MethodFits(const ApiFunction& function, MethodCode method, std::string_view custom_method) {
  if (function.method == MethodCode::kAny) return true;
  if (function.method != method) return false;
  return method != MethodCode::kCustom || function.custom_method == custom_method;
}

}  // namespace

ApiCatalog::ApiCatalog(const ApiDescription* description) {
  const uint32_t count = description != nullptr && description->functions != nullptr
                             ? std::min(description->function_count, kMaxListLength)
                             : 0;
  functions_.reserve(count);
  description_json_ = WrittenJson([&](JsonWriter& out) {
    out.StartObject();
    Key(out, "functions");
    out.StartArray();
    for (uint32_t i = 0; i < count; ++i) {
      const FunctionDescriptor& descriptor = description->functions[i];
      DescribeFunction(out, descriptor);
      ApiFunction& function = functions_.emplace_back();
      function.name = Text(descriptor.description.name);
      function.method = MethodFromCode(descriptor.method);
      function.custom_method = Text(descriptor.custom_method);
      function.path_template = Text(descriptor.path_template);
      function.invoke = descriptor.invoke;
      function.invoke_context = descriptor.description.invoke_context;
    }
    out.EndArray();
    Key(out, "types");
    DescribeTypes(out, description != nullptr ? description->types : nullptr,
                  description != nullptr ? description->type_count : 0);
    Key(out, "events");
    DescribeEvents(out, description != nullptr ? description->events : nullptr,
                   description != nullptr ? description->event_count : 0);
    out.EndObject();
  });
}

const ApiFunction* ApiCatalog::FindByName(std::string_view name) const {
  for (const ApiFunction& function : functions_) {
    if (function.name == name) return &function;
  }
  return nullptr;
}

const ApiFunction* ApiCatalog::Select(MethodCode method, std::string_view custom_method, std::string_view path) const {
  const ChampionRoute* route = MatchChampionRoute(path);
  if (route == nullptr) return nullptr;
  const ApiFunction* function = FindByName(route->function_name);
  if (function == nullptr || function->invoke == nullptr || function->path_template != route->path_template ||
      !MethodFits(*function, method, custom_method)) {
    return nullptr;
  }
  return function;
}

}  // namespace kel::host
