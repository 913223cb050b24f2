#pragma once
// The types every registry carries from the start: the state of asynchronous
// operations, the payloads of generic, callback and asynchronous events, the
// help format and the records in which an API describes itself. They are
// identified by number, not by their C++ signature.

#include <cstdint>
#include <string>
#include <vector>

#include "binding/binding_value.h"
#include "binding/fnv1a.h"
#include "binding/static_type_id.h"

namespace kel {

class BindingRegistry;

enum class BindingAsyncState : std::int32_t {
  None = 0,
  Running = 1,
  Cancelling = 2,
  Cancelled = 3,
  Succeeded = 4,
  Failed = 5,
};

struct BindingGenericEvent {
  BindingValue data;
};

struct BindingCallbackEvent {
  std::uint32_t id = 0;
  std::vector<BindingValue> parameters;
};

struct BindingGenericAsyncEvent {
  std::uint32_t asyncToken = 0;
  BindingValue data;
};

struct BindingAsyncFailureEvent {
  std::uint32_t asyncToken = 0;
  std::string error;
};

struct BindingAsyncCancelEvent {
  std::uint32_t asyncToken = 0;
};

enum class BindingHelpFormat : std::int32_t {
  Full = 1,
  Epytext = 2,
};

struct BindingFullTypeIdentifier {
  std::string type;
  std::string elementType;
};

struct BindingFullArgumentHelp {
  std::string name;
  std::string description;
  BindingFullTypeIdentifier type;
  bool optional = false;
};

struct BindingFullFunctionHelp {
  std::string name;
  std::string nameSpace;
  std::vector<BindingFullArgumentHelp> arguments;
  BindingFullTypeIdentifier returns;
  std::string description;
  std::string help;
  bool threadSafe = false;
  std::string async;
  std::vector<std::string> tags;
};

struct BindingFullEnumValueHelp {
  std::string name;
  std::string description;
  std::int32_t value = 0;
};

struct BindingFullFieldHelp {
  std::string name;
  std::string description;
  std::uint32_t offset = 0;
  BindingFullTypeIdentifier type;
  bool optional = false;
};

struct BindingFullTypeHelp {
  std::string name;
  std::string nameSpace;
  std::uint32_t size = 0;
  std::string description;
  std::vector<std::string> tags;
  std::vector<BindingFullFieldHelp> fields;
  std::vector<BindingFullEnumValueHelp> values;
};

struct BindingFullEventHelp {
  std::string name;
  std::string nameSpace;
  BindingFullTypeIdentifier type;
  std::string description;
  std::vector<std::string> tags;
};

struct BindingFullApiHelp {
  std::vector<BindingFullFunctionHelp> functions;
  std::vector<BindingFullTypeHelp> types;
  std::vector<BindingFullEventHelp> events;
};

// Built-in types are identified by the FNV-1a hash of their registered name.
#define KEL_BUILTIN_STATIC_TYPE(Type)                      \
  template <>                                              \
  struct StaticTypeNumber<Type> {                          \
    static constexpr std::uint32_t value = Fnv1a32(#Type); \
  };
KEL_BUILTIN_STATIC_TYPE(BindingAsyncState)
KEL_BUILTIN_STATIC_TYPE(BindingGenericEvent)
KEL_BUILTIN_STATIC_TYPE(BindingCallbackEvent)
KEL_BUILTIN_STATIC_TYPE(BindingGenericAsyncEvent)
KEL_BUILTIN_STATIC_TYPE(BindingAsyncFailureEvent)
KEL_BUILTIN_STATIC_TYPE(BindingAsyncCancelEvent)
KEL_BUILTIN_STATIC_TYPE(BindingHelpFormat)
KEL_BUILTIN_STATIC_TYPE(BindingFullTypeIdentifier)
KEL_BUILTIN_STATIC_TYPE(BindingFullArgumentHelp)
KEL_BUILTIN_STATIC_TYPE(BindingFullFunctionHelp)
KEL_BUILTIN_STATIC_TYPE(BindingFullEnumValueHelp)
KEL_BUILTIN_STATIC_TYPE(BindingFullFieldHelp)
KEL_BUILTIN_STATIC_TYPE(BindingFullTypeHelp)
KEL_BUILTIN_STATIC_TYPE(BindingFullEventHelp)
KEL_BUILTIN_STATIC_TYPE(BindingFullApiHelp)
#undef KEL_BUILTIN_STATIC_TYPE

// Registers the fifteen built-in types and the OnCallback event; part of
// setting a registry up, before any type of the plug-in's own.
void RegisterBuiltinTypes(BindingRegistry& registry);

}  // namespace kel
