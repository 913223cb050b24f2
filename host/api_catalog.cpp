#include "host/api_catalog.h"

#include "binding/binding_type.h"
#include "binding/type_list_abi.h"

namespace kel::host {
namespace {

// Lists longer than this are not believed: a broken description must not
// send the host walking through memory.
constexpr uint32_t kMaxListLength = 100000;

std::string_view Text(const char* text) { return text != nullptr ? std::string_view(text) : std::string_view(); }

std::string_view TypeText(int64_t code) {
  return BindingTypeName(static_cast<BindingType>(static_cast<int32_t>(code)));
}

void DescribeType(BindingValue& out, int64_t type, int64_t element_type, const char* type_name) {
  out.Member("type").SetString(TypeText(type));
  if (element_type != 0) out.Member("elementType").SetString(TypeText(element_type));
  if (!Text(type_name).empty()) out.Member("typeName").SetString(Text(type_name));
}

void DescribeTags(BindingValue& out, const char* const* tags, uint32_t count) {
  BindingValue& list = out.Member("tags");
  list.MakeCollection();
  if (tags == nullptr) return;
  for (uint32_t i = 0; i < count && i < kMaxListLength; ++i) list.Append().SetString(Text(tags[i]));
}

void DescribeFunction(BindingValue& out, const FunctionDescriptor& function) {
  const FunctionDescriptionRecord& record = function.description;
  out.Member("name").SetString(Text(record.name));
  out.Member("namespace").SetString(Text(record.name_space));
  const RequestMethod method = MethodFromWire(function.method);
  out.Member("method").SetString(method == RequestMethod::kCustom ? Text(function.custom_method) : MethodText(method));
  out.Member("path").SetString(Text(function.path_template));
  out.Member("description").SetString(Text(record.description));
  out.Member("help").SetString(Text(record.help));
  out.Member("threadSafe").SetBool(record.thread_safe != 0);
  DescribeType(out.Member("result"), record.result_type, record.result_element_type, record.result_type_name);
  DescribeTags(out, record.tags, record.tag_count);
  BindingValue& arguments = out.Member("arguments");
  arguments.MakeCollection();
  const ParameterEntry* parameter = function.parameters;
  const uint32_t count = record.arguments != nullptr ? std::min(uint32_t{record.argument_count}, kMaxListLength) : 0;
  for (uint32_t i = 0; i < count; ++i) {
    const ArgumentRecord& argument = record.arguments[i];
    BindingValue& shown = arguments.Append();
    shown.Member("name").SetString(Text(argument.name));
    shown.Member("description").SetString(Text(argument.description));
    shown.Member("optional").SetBool(argument.optional != 0);
    DescribeType(shown, argument.type, argument.element_type, argument.type_name);
    if (parameter != nullptr) {
      shown.Member("location").SetUnsigned(parameter->location);
      parameter = parameter->next;
    }
  }
}

void DescribeTypes(BindingValue& out, const BindingTypeRecord* types, uint32_t count) {
  out.MakeCollection();
  if (types == nullptr) return;
  for (uint32_t i = 0; i < count && i < kMaxListLength; ++i) {
    const BindingTypeRecord& type = types[i];
    BindingValue& shown = out.Append();
    shown.Member("name").SetString(Text(type.name));
    shown.Member("namespace").SetString(Text(type.nameSpace));
    shown.Member("description").SetString(Text(type.description));
    shown.Member("size").SetUnsigned(type.size);
    DescribeTags(shown, type.tags, type.tagCount);
    const uint32_t members = std::min(type.memberCount, kMaxListLength);
    if (type.fields != nullptr) {
      BindingValue& fields = shown.Member("fields");
      fields.MakeCollection();
      for (uint32_t f = 0; f < members; ++f) {
        const BindingFieldRecord& field = type.fields[f];
        BindingValue& shownField = fields.Append();
        shownField.Member("name").SetString(Text(field.name));
        shownField.Member("optional").SetBool(field.optional != 0);
        DescribeType(shownField, field.type, field.elementType, field.typeName);
      }
    } else if (type.enumerators != nullptr) {
      BindingValue& values = shown.Member("values");
      values.MakeCollection();
      for (uint32_t e = 0; e < members; ++e) {
        BindingValue& shownValue = values.Append();
        shownValue.Member("name").SetString(Text(type.enumerators[e].name));
        shownValue.Member("value").SetSigned(type.enumerators[e].value);
      }
    }
  }
}

void DescribeEvents(BindingValue& out, const BindingEventRecord* events, uint32_t count) {
  out.MakeCollection();
  if (events == nullptr) return;
  for (uint32_t i = 0; i < count && i < kMaxListLength; ++i) {
    BindingValue& shown = out.Append();
    shown.Member("name").SetString(Text(events[i].name));
    shown.Member("namespace").SetString(Text(events[i].nameSpace));
    shown.Member("payloadType").SetString(Text(events[i].payloadTypeName));
    shown.Member("description").SetString(Text(events[i].description));
  }
}

}  // namespace

ApiCatalog::ApiCatalog(const ApiDescription* description) {
  BindingValue& functions = description_.Member("functions");
  functions.MakeCollection();
  if (description == nullptr) {
    DescribeTypes(description_.Member("types"), nullptr, 0);
    DescribeEvents(description_.Member("events"), nullptr, 0);
    return;
  }
  const uint32_t count = description->functions != nullptr ? std::min(description->function_count, kMaxListLength) : 0;
  functions_.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const FunctionDescriptor& descriptor = description->functions[i];
    DescribeFunction(functions.Append(), descriptor);
    ApiFunction& function = functions_.emplace_back();
    function.name = Text(descriptor.description.name);
    function.method = MethodFromWire(descriptor.method);
    function.custom_method = Text(descriptor.custom_method);
    function.path_template = Text(descriptor.path_template);
    function.invoke = descriptor.invoke;
    function.invoke_context = descriptor.description.invoke_context;
    if (!function.path_template.empty()) function.route = CompiledRoute::Compile(function.path_template);
  }
  for (std::size_t i = 0; i < functions_.size(); ++i) {
    const ApiFunction& function = functions_[i];
    if (function.path_template.empty() || function.invoke == nullptr) continue;
    routes_.push_back(RouteEntry{&function.route, function.method, function.custom_method});
    route_functions_.push_back(i);
  }
  DescribeTypes(description_.Member("types"), description->types, description->type_count);
  DescribeEvents(description_.Member("events"), description->events, description->event_count);
}

const ApiFunction* ApiCatalog::FindByName(std::string_view name) const {
  for (const ApiFunction& function : functions_) {
    if (function.name == name) return &function;
  }
  return nullptr;
}

SelectedFunction ApiCatalog::Select(RequestMethod method, std::string_view custom_method,
                                    std::string_view path) const {
  SelectedFunction selected;
  const std::optional<RouteMatch> match =
      MatchRoute(routes_, RequestLine{method, custom_method, PathWithoutQuery(path)});
  if (!match) return selected;
  selected.function = &functions_[route_functions_[match->index]];
  selected.values = match->values;
  return selected;
}

}  // namespace kel::host
