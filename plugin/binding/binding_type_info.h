#pragma once
// The records a registry keeps per bound struct, enum, field, enumerator and
// event. They never change after registration, so conversions read them
// without the registry lock.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "binding/binding_type.h"
#include "binding/static_type_id.h"

namespace kel {

class BindingRegistry;
class BindingResult;
class BindingValue;
class HostValueWriter;
struct BindingTypeInfo;
struct HostValue;

enum BindingFieldFlags : std::uint32_t {
  kBindingFieldNone = 0,
  kBindingFieldOmitEmpty = 1,  // left out of the output when zero or empty
  kBindingFieldRequired = 2,   // must be present and not empty on input
};

// Moves data between one native field and a binding value.
class BindingConverter {
 public:
  virtual ~BindingConverter() = default;
  // Writes the native field from source, or fails the result. `info` is the
  // type info of the field's struct or enum type (or element type), or null.
  virtual void Assign(BindingResult& result, void* native, const BindingValue& source, std::string_view name,
                      const BindingTypeInfo* info, const BindingRegistry& registry) const = 0;
  // Writes the field's value into `out`, or fails the result.
  virtual void ToValue(BindingResult& result, BindingValue& out, const void* native, const BindingTypeInfo* info,
                       const BindingRegistry& registry) const = 0;
  // Writes the field's value straight into `out` (see host_value_writer.h);
  // true when it is zero or empty by the omit-empty rule.
  virtual bool WriteHost(HostValueWriter& writer, HostValue& out, const void* native,
                         const BindingTypeInfo* info) const = 0;
};

struct BindingFieldInfo {
  std::string name;
  std::uint32_t nameHash = 0;
  std::string description;
  const StaticTypeId* staticType = nullptr;
  std::uint32_t offset = 0;
  BindingTypeId type;
  BindingTypeId declaredType;  // stands in for `type` in the API description when set
  std::uint32_t flags = 0;
  std::unique_ptr<BindingConverter> converter;
  const BindingTypeInfo* owner = nullptr;
  bool optional = false;
};

struct BindingEnumValueInfo {
  std::int32_t value = 0;
  std::string name;
  std::string description;
  const BindingTypeInfo* owner = nullptr;
};

// Transparent hashing by FNV-1a so that lookups by string_view need no copy.
struct BindingNameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const noexcept { return Fnv1a32(text); }
};

struct BindingTypeInfo {
  std::uint32_t size = 0;
  bool isEnum = false;
  std::string name;
  std::uint32_t typeIdentifier = 0;
  const StaticTypeId* staticType = nullptr;
  std::string nameSpace;
  std::string description;
  std::vector<std::string> tags;
  std::vector<std::unique_ptr<BindingFieldInfo>> fields;  // registration order
  // The same fields in unsigned byte order of their names, the order of the
  // members they become; equal names stay in registration order.
  std::vector<const BindingFieldInfo*> fieldsByName;
  // The fields whose contents live apart from the record (texts, optional
  // texts, lists): where a field's contents start and how many bytes they
  // take, for a writer that fetches them before it reaches the record.
  struct DetachedField {
    std::uint32_t offset;
    const void* (*contents)(const void* field, std::size_t& bytes);
  };
  std::vector<DetachedField> detachedFields;
  std::map<std::string, BindingEnumValueInfo, std::less<>> enumerators;  // unsigned byte order of names
  const BindingRegistry* registry = nullptr;

  // The first enumerator in name order with that value, or null.
  const BindingEnumValueInfo* FindEnumerator(std::int32_t value) const noexcept;
};

struct BindingEventInfo {
  std::string name;
  const BindingTypeInfo* payload = nullptr;
  std::string nameSpace;
  std::string description;
  std::vector<std::string> tags;
};

}  // namespace kel
