#include "host/openapi_document.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace kel::host {
namespace {

// The writer, and the names of the registered types: a reference to any
// other name would leave the document unresolvable, so it is written as
// "any value".
struct Writer : rapidjson::Writer<rapidjson::StringBuffer> {
  using rapidjson::Writer<rapidjson::StringBuffer>::Writer;
  std::set<std::string_view> types;
};

// Lists longer than this are not believed: a broken description must not
// send the host walking through memory.
constexpr uint32_t kMaxListLength = 100000;

// The records' type codes.
enum TypeCode : int64_t {
  kBool = 1,
  kInt8 = 2,
  kUint8 = 3,
  kInt16 = 4,
  kUint16 = 5,
  kInt32 = 6,
  kUint32 = 7,
  kInt64 = 8,
  kUint64 = 9,
  kFloat = 10,
  kDouble = 11,
  kString = 12,
  kBlob = 14,
  kVector = 15,
  kEnum = 16,
  kStruct = 17,
  kMap = 19,
};

// The records' parameter locations.
enum Location : uint32_t { kAnywhere = 0, kQuery = 1, kPath = 2, kHeader = 4, kBody = 5 };

// A count read from a packed record, by value (its field may be unaligned).
uint32_t Bounded(uint32_t count) { return count < kMaxListLength ? count : kMaxListLength; }

std::string_view Text(const char* text) { return text != nullptr ? std::string_view(text) : std::string_view(); }

void Key(Writer& w, std::string_view key) { w.Key(key.data(), static_cast<rapidjson::SizeType>(key.size())); }
void String(Writer& w, std::string_view text) { w.String(text.data(), static_cast<rapidjson::SizeType>(text.size())); }
void Member(Writer& w, std::string_view key, std::string_view text) {
  Key(w, key);
  String(w, text);
}

void Reference(Writer& w, std::string_view type_name) {
  w.StartObject();
  Member(w, "$ref", "#/components/schemas/" + std::string(type_name));
  w.EndObject();
}

void Integer(Writer& w, int64_t minimum, uint64_t maximum, std::string_view format = {}) {
  Member(w, "type", "integer");
  if (!format.empty()) Member(w, "format", format);
  Key(w, "minimum");
  w.Int64(minimum);
  Key(w, "maximum");
  w.Uint64(maximum);
}

// The schema of a value of `code`; `element` and `type_name` as the records
// give them (a vector's or map's elements, a struct's or enum's name).
void Schema(Writer& w, int64_t code, int64_t element, std::string_view type_name) {
  if ((code == kEnum || code == kStruct) && w.types.contains(type_name)) return Reference(w, type_name);
  w.StartObject();
  switch (code) {
    case kBool: Member(w, "type", "boolean"); break;
    case kInt8: Integer(w, INT8_MIN, INT8_MAX); break;
    case kUint8: Integer(w, 0, UINT8_MAX); break;
    case kInt16: Integer(w, INT16_MIN, INT16_MAX); break;
    case kUint16: Integer(w, 0, UINT16_MAX); break;
    case kInt32: Integer(w, INT32_MIN, INT32_MAX, "int32"); break;
    case kUint32: Integer(w, 0, UINT32_MAX); break;
    case kInt64: Integer(w, INT64_MIN, INT64_MAX, "int64"); break;
    case kUint64: Integer(w, 0, UINT64_MAX); break;
    case kFloat: Member(w, "type", "number"), Member(w, "format", "float"); break;
    case kDouble: Member(w, "type", "number"), Member(w, "format", "double"); break;
    case kString:
    case kBlob: Member(w, "type", "string"); break;
    case kVector:
      Member(w, "type", "array");
      Key(w, "items");
      Schema(w, element, 0, type_name);
      break;
    case kMap:
      Member(w, "type", "object");
      Key(w, "additionalProperties");
      Schema(w, element, 0, type_name);
      break;
    default: break;  // an object, a callback, an unnamed struct: any value
  }
  w.EndObject();
}

// An optional field is written as null when it has no value.
void FieldSchema(Writer& w, const BindingFieldRecord& field) {
  if (field.optional == 0) return Schema(w, field.type, field.element_type, Text(field.type_name));
  w.StartObject();
  Key(w, "anyOf");
  w.StartArray();
  Schema(w, field.type, field.element_type, Text(field.type_name));
  w.StartObject();
  Member(w, "type", "null");
  w.EndObject();
  w.EndArray();
  w.EndObject();
}

void TypeSchema(Writer& w, const BindingTypeRecord& type) {
  const uint32_t members = Bounded(type.member_count);
  w.StartObject();
  if (!Text(type.description).empty()) Member(w, "description", Text(type.description));
  if (type.fields == nullptr && type.enumerators != nullptr) {
    // Enumerations travel by name; "x-enum-values" keeps their numbers.
    Member(w, "type", "string");
    Key(w, "enum");
    w.StartArray();
    for (uint32_t e = 0; e < members; ++e) String(w, Text(type.enumerators[e].name));
    w.EndArray();
    Key(w, "x-enum-values");
    w.StartObject();
    for (uint32_t e = 0; e < members; ++e) {
      Key(w, Text(type.enumerators[e].name));
      w.Int(type.enumerators[e].value);
    }
    w.EndObject();
    w.EndObject();
    return;
  }
  // Every registered field is written, an optional one as null.
  Member(w, "type", "object");
  Key(w, "properties");
  w.StartObject();
  for (uint32_t f = 0; type.fields != nullptr && f < members; ++f) {
    Key(w, Text(type.fields[f].name));
    FieldSchema(w, type.fields[f]);
  }
  w.EndObject();
  Key(w, "required");
  w.StartArray();
  for (uint32_t f = 0; type.fields != nullptr && f < members; ++f) String(w, Text(type.fields[f].name));
  w.EndArray();
  Key(w, "additionalProperties");
  w.Bool(false);
  w.EndObject();
}

void ErrorSchema(Writer& w) {
  w.StartObject();
  Member(w, "type", "object");
  Key(w, "properties");
  w.StartObject();
  Key(w, "httpStatus");
  w.StartObject();
  Member(w, "type", "integer");
  w.EndObject();
  Key(w, "message");
  w.StartObject();
  Member(w, "type", "string");
  w.EndObject();
  w.EndObject();
  Key(w, "required");
  w.StartArray();
  String(w, "httpStatus");
  String(w, "message");
  w.EndArray();
  w.EndObject();
}

void JsonContent(Writer& w, const auto& write_schema) {
  Key(w, "content");
  w.StartObject();
  Key(w, "application/json");
  w.StartObject();
  Key(w, "schema");
  write_schema();
  w.EndObject();
  w.EndObject();
}

// The OpenAPI names of a function's methods: one for a method code, the
// usual five for "any"; none for a custom method, which the document has
// no place for.
std::vector<std::string_view> Methods(uint32_t code) {
  switch (code) {
    case 1: return {"delete"};
    case 2: return {"get"};
    case 3: return {"head"};
    case 4: return {"options"};
    case 5: return {"patch"};
    case 6: return {"post"};
    case 7: return {"put"};
    case 8: return {};
    default: return {"get", "post", "put", "patch", "delete"};
  }
}

struct Argument {
  const ArgumentRecord* record;
  uint32_t location;
};

std::vector<Argument> Arguments(const FunctionDescriptor& function) {
  const FunctionDescriptionRecord& description = function.description;
  std::vector<Argument> arguments;
  if (description.arguments == nullptr) return arguments;
  const std::string_view path = Text(function.path_template);
  const ParameterEntry* parameter = function.parameters;
  for (uint32_t i = 0; i < Bounded(description.argument_count); ++i) {
    const ArgumentRecord& argument = description.arguments[i];
    uint32_t location = parameter != nullptr ? parameter->location : kAnywhere;
    if (parameter != nullptr) parameter = parameter->next;
    // A parameter taken from anywhere is a path one when the template names it.
    if (location == kAnywhere) {
      location = path.find("{" + std::string(Text(argument.name)) + "}") != std::string_view::npos ? kPath : kQuery;
    }
    arguments.push_back({&argument, location});
  }
  return arguments;
}

void Operation(Writer& w, const FunctionDescriptor& function, std::string_view method, bool suffix) {
  const FunctionDescriptionRecord& description = function.description;
  Key(w, method);
  w.StartObject();
  Member(
      w, "operationId",
      suffix ? std::string(Text(description.name)) + "_" + std::string(method) : std::string(Text(description.name)));
  if (!Text(description.description).empty()) Member(w, "summary", Text(description.description));
  if (!Text(description.help).empty()) Member(w, "description", Text(description.help));
  if (description.tags != nullptr && description.tag_count > 0) {
    Key(w, "tags");
    w.StartArray();
    for (uint32_t t = 0; t < Bounded(description.tag_count); ++t) String(w, Text(description.tags[t]));
    w.EndArray();
  }
  const std::vector<Argument> arguments = Arguments(function);
  Key(w, "parameters");
  w.StartArray();
  const Argument* body = nullptr;
  for (const Argument& argument : arguments) {
    if (argument.location == kBody) {
      if (body == nullptr) body = &argument;  // the body goes to the first one
      continue;
    }
    const ArgumentRecord& record = *argument.record;
    w.StartObject();
    Member(w, "name", Text(record.name));
    Member(w, "in", argument.location == kPath ? "path" : argument.location == kHeader ? "header" : "query");
    if (!Text(record.description).empty()) Member(w, "description", Text(record.description));
    Key(w, "required");
    w.Bool(argument.location == kPath || record.optional == 0);
    Key(w, "schema");
    Schema(w, record.type, record.element_type, Text(record.type_name));
    w.EndObject();
  }
  w.EndArray();
  if (body != nullptr) {
    Key(w, "requestBody");
    w.StartObject();
    Key(w, "required");
    w.Bool(body->record->optional == 0);
    JsonContent(w, [&] { Schema(w, body->record->type, body->record->element_type, Text(body->record->type_name)); });
    w.EndObject();
  }
  Key(w, "responses");
  w.StartObject();
  Key(w, "200");
  w.StartObject();
  Member(w, "description", "The function's result");
  if (description.result_type != 0) {
    JsonContent(w, [&] {
      Schema(w, description.result_type, description.result_element_type, Text(description.result_type_name));
    });
  }
  w.EndObject();
  Key(w, "default");
  w.StartObject();
  Member(w, "description", "The failure: its HTTP status and why");
  JsonContent(w, [&] { Reference(w, "Error"); });
  w.EndObject();
  w.EndObject();
  w.EndObject();
}

void Paths(Writer& w, const ApiDescription& description) {
  // Path items in the order their templates first appear.
  std::vector<std::pair<std::string_view, std::vector<const FunctionDescriptor*>>> items;
  const uint32_t count = description.functions != nullptr ? Bounded(description.function_count) : 0;
  for (uint32_t i = 0; i < count; ++i) {
    const FunctionDescriptor& function = description.functions[i];
    const std::string_view path = Text(function.path_template);
    if (path.empty() || function.invoke == nullptr) continue;
    auto item = std::find_if(items.begin(), items.end(), [&](const auto& entry) { return entry.first == path; });
    if (item == items.end()) item = items.insert(items.end(), {path, {}});
    item->second.push_back(&function);
  }
  Key(w, "paths");
  w.StartObject();
  for (const auto& [path, functions] : items) {
    Key(w, path);
    w.StartObject();
    std::set<std::string_view> taken;  // the first function of a method wins, as in the core's choice
    for (const FunctionDescriptor* function : functions) {
      const std::vector<std::string_view> methods = Methods(function->method);
      for (std::string_view method : methods) {
        if (taken.insert(method).second) Operation(w, *function, method, methods.size() > 1);
      }
    }
    w.EndObject();
  }
  w.EndObject();
}

uint32_t TypeCount(const ApiDescription& description) {
  return description.types != nullptr ? Bounded(description.type_count) : 0;
}

void Components(Writer& w, const ApiDescription& description) {
  Key(w, "components");
  w.StartObject();
  Key(w, "schemas");
  w.StartObject();
  Key(w, "Error");
  ErrorSchema(w);
  std::set<std::string_view> written{"Error"};
  for (uint32_t i = 0; i < TypeCount(description); ++i) {
    const BindingTypeRecord& type = description.types[i];
    if (Text(type.name).empty() || !written.insert(Text(type.name)).second) continue;
    Key(w, Text(type.name));
    TypeSchema(w, type);
  }
  w.EndObject();
  w.EndObject();
}

void Events(Writer& w, const ApiDescription& description) {
  Key(w, "x-events");
  w.StartArray();
  const uint32_t count = description.events != nullptr ? Bounded(description.event_count) : 0;
  for (uint32_t i = 0; i < count; ++i) {
    const BindingEventRecord& event = description.events[i];
    w.StartObject();
    Member(w, "name", Text(event.name));
    Member(w, "namespace", Text(event.name_space));
    Member(w, "description", Text(event.description));
    Key(w, "payload");
    Schema(w, kStruct, 0, Text(event.payload_type_name));
    w.EndObject();
  }
  w.EndArray();
}

}  // namespace

std::string OpenApiDocument(const ApiDescription* description, const std::string& title) {
  const ApiDescription empty{};
  const ApiDescription& api = description != nullptr ? *description : empty;
  rapidjson::StringBuffer buffer;
  Writer w(buffer);
  for (uint32_t i = 0; i < TypeCount(api); ++i) {
    if (!Text(api.types[i].name).empty() && Text(api.types[i].name) != "Error") w.types.insert(Text(api.types[i].name));
  }
  w.StartObject();
  Member(w, "openapi", "3.1.0");
  Key(w, "info");
  w.StartObject();
  Member(w, "title", title);
  Member(w, "version", "1");
  w.EndObject();
  Paths(w, api);
  Components(w, api);
  Events(w, api);
  w.EndObject();
  return buffer.GetString();
}

}  // namespace kel::host
