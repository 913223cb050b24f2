#include "binding/builtin_types.h"

#include "binding/binding_registry.h"

namespace kel {
namespace {

constexpr std::string_view kBuiltin = "$builtin";
constexpr std::string_view kAsync = "async";
constexpr std::string_view kHelp = "help";
constexpr std::string_view kTokenDescription = "Asynchronous operation token";
constexpr std::string_view kDataDescription = "Event data";

void RegisterAsyncTypes(BindingRegistry& registry) {
  registry.RegisterType<BindingAsyncState>("BindingAsyncState")
      .SetDescription("Possible states of an asynchronous operation.")
      .AddTags({kBuiltin, kAsync})
      .AddEnumerator("None", 0, "Invalid state")
      .AddEnumerator("Running", 1, "The operation is in flight")
      .AddEnumerator("Cancelling", 2, "A request to cancel the operation has been made")
      .AddEnumerator("Cancelled", 3, "The operation was cancelled")
      .AddEnumerator("Succeeded", 4, "The operation completed successfully")
      .AddEnumerator("Failed", 5, "The operation encountered an error");
  registry.RegisterType<BindingGenericEvent>("BindingGenericEvent")
      .SetDescription("Represents generic data for an event.")
      .AddTag(kBuiltin)
      .AddField("data", &BindingGenericEvent::data, kDataDescription);
  registry.RegisterType<BindingCallbackEvent>("BindingCallbackEvent")
      .SetDescription("Represents the parameters of a call to a provided callback.")
      .AddTag(kBuiltin)
      .AddField("id", &BindingCallbackEvent::id, "ID of the callback being invoked")
      .AddField("parameters", &BindingCallbackEvent::parameters, "Callback parameters");
  registry.RegisterType<BindingGenericAsyncEvent>("BindingGenericAsyncEvent")
      .SetDescription("Represents generic data for an asynchronous event.")
      .AddTags({kBuiltin, kAsync})
      .AddField("asyncToken", &BindingGenericAsyncEvent::asyncToken, kTokenDescription)
      .AddField("data", &BindingGenericAsyncEvent::data, kDataDescription);
  registry.RegisterType<BindingAsyncFailureEvent>("BindingAsyncFailureEvent")
      .SetDescription("Represents a failed asynchronous operation.")
      .AddTags({kBuiltin, kAsync})
      .AddField("asyncToken", &BindingAsyncFailureEvent::asyncToken, kTokenDescription)
      .AddField("error", &BindingAsyncFailureEvent::error, "Error message");
  registry.RegisterType<BindingAsyncCancelEvent>("BindingAsyncCancelEvent")
      .SetDescription("Represents a cancelled asynchronous operation.")
      .AddTags({kBuiltin, kAsync})
      .AddField("asyncToken", &BindingAsyncCancelEvent::asyncToken, kTokenDescription);
}

// Member types first: a field's type info is looked up when it is added.
void RegisterHelpTypes(BindingRegistry& registry) {
  registry.RegisterType<BindingHelpFormat>("BindingHelpFormat")
      .SetDescription("Help format for binding functions and types.")
      .AddTags({kBuiltin, kHelp})
      .AddEnumerator("Full", 1, "Native help format")
      .AddEnumerator("Epytext", 2, "Python epytext format");
  registry.RegisterType<BindingFullTypeIdentifier>("BindingFullTypeIdentifier")
      .SetDescription("Describes the type of a value.")
      .AddTags({kBuiltin, kHelp})
      .AddField("type", &BindingFullTypeIdentifier::type)
      .AddField("elementType", &BindingFullTypeIdentifier::elementType);
  registry.RegisterType<BindingFullArgumentHelp>("BindingFullArgumentHelp")
      .SetDescription("Describes a function parameter.")
      .AddTags({kBuiltin, kHelp})
      .AddField("name", &BindingFullArgumentHelp::name)
      .AddField("description", &BindingFullArgumentHelp::description)
      .AddField("type", &BindingFullArgumentHelp::type)
      .AddField("optional", &BindingFullArgumentHelp::optional);
  registry.RegisterType<BindingFullFunctionHelp>("BindingFullFunctionHelp")
      .SetDescription("Describes a function.")
      .AddTags({kBuiltin, kHelp})
      .AddField("name", &BindingFullFunctionHelp::name)
      .AddField("nameSpace", &BindingFullFunctionHelp::nameSpace)
      .AddField("arguments", &BindingFullFunctionHelp::arguments)
      .AddField("returns", &BindingFullFunctionHelp::returns)
      .AddField("description", &BindingFullFunctionHelp::description)
      .AddField("help", &BindingFullFunctionHelp::help)
      .AddField("threadSafe", &BindingFullFunctionHelp::threadSafe)
      .AddField("async", &BindingFullFunctionHelp::async)
      .AddField("tags", &BindingFullFunctionHelp::tags);
  registry.RegisterType<BindingFullEnumValueHelp>("BindingFullEnumValueHelp")
      .SetDescription("Describes an enumerator.")
      .AddTags({kBuiltin, kHelp})
      .AddField("name", &BindingFullEnumValueHelp::name)
      .AddField("description", &BindingFullEnumValueHelp::description)
      .AddField("value", &BindingFullEnumValueHelp::value);
  registry.RegisterType<BindingFullFieldHelp>("BindingFullFieldHelp")
      .SetDescription("Describes a member of a struct.")
      .AddTags({kBuiltin, kHelp})
      .AddField("name", &BindingFullFieldHelp::name)
      .AddField("description", &BindingFullFieldHelp::description)
      .AddField("offset", &BindingFullFieldHelp::offset)
      .AddField("type", &BindingFullFieldHelp::type)
      .AddField("optional", &BindingFullFieldHelp::optional);
  registry.RegisterType<BindingFullTypeHelp>("BindingFullTypeHelp")
      .SetDescription("Describes a struct or enum type.")
      .AddTags({kBuiltin, kHelp})
      .AddField("name", &BindingFullTypeHelp::name)
      .AddField("nameSpace", &BindingFullTypeHelp::nameSpace)
      .AddField("size", &BindingFullTypeHelp::size)
      .AddField("description", &BindingFullTypeHelp::description)
      .AddField("tags", &BindingFullTypeHelp::tags)
      .AddField("fields", &BindingFullTypeHelp::fields)
      .AddField("values", &BindingFullTypeHelp::values);
  registry.RegisterType<BindingFullEventHelp>("BindingFullEventHelp")
      .SetDescription("Describes an event.")
      .AddTags({kBuiltin, kHelp})
      .AddField("name", &BindingFullEventHelp::name)
      .AddField("nameSpace", &BindingFullEventHelp::nameSpace)
      .AddField("type", &BindingFullEventHelp::type)
      .AddField("description", &BindingFullEventHelp::description)
      .AddField("tags", &BindingFullEventHelp::tags);
  registry.RegisterType<BindingFullApiHelp>("BindingFullApiHelp")
      .SetDescription("Describes the exposed native API.")
      .AddTags({kBuiltin, kHelp})
      .AddField("functions", &BindingFullApiHelp::functions)
      .AddField("types", &BindingFullApiHelp::types)
      .AddField("events", &BindingFullApiHelp::events);
}

}  // namespace

void RegisterBuiltinTypes(BindingRegistry& registry) {
  RegisterAsyncTypes(registry);
  RegisterHelpTypes(registry);
  BindingEventInfo& callback =
      registry.RegisterEvent("OnCallback", registry.FindType(StaticTypeOf<BindingCallbackEvent>()));
  callback.description = "Fired when a callback is invoked.";
  callback.tags = {std::string(kBuiltin)};
}

}  // namespace kel
