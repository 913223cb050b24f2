#pragma once
// BindingRegistry: the bound structs, enums and events of one plug-in, and
// the entry points that convert native values to binding values and back.
//
// Registration and lookups by name or static identity take the registry
// mutex; builders do not (they run during start-up, on one thread).
// Conversions read the registered records without locking: a record never
// changes after its first registration.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "binding/binding_result.h"
#include "binding/binding_type.h"
#include "binding/binding_type_info.h"
#include "binding/native_conversion.h"
#include "binding/native_host_value.h"
#include "binding/static_type_id.h"

namespace kel {

class BindingTypeBuilder;

class BindingRegistry {
 public:
  // Set up with the built-in types and events.
  BindingRegistry();
  ~BindingRegistry();
  BindingRegistry(const BindingRegistry&) = delete;
  BindingRegistry& operator=(const BindingRegistry&) = delete;

  // Drops everything, then registers the built-in types and events again.
  void Initialize();
  void Clear();

  // Registers a struct or enum. When the name is taken, the builder points at
  // the existing type and changes nothing.
  BindingTypeBuilder RegisterType(std::uint32_t size, std::string_view name, const StaticTypeId& staticType,
                                  bool isEnum);
  template <typename T>
  BindingTypeBuilder RegisterType(std::string_view name);

  const BindingTypeInfo* FindType(const StaticTypeId& staticType) const noexcept;
  const BindingTypeInfo* FindType(std::string_view name) const noexcept;
  // The first enumerator name in name order with that value, or null.
  const char* EnumeratorName(const StaticTypeId* staticType, std::int32_t value) const noexcept;

  // Registers (or replaces) an event; describe it through the returned record.
  BindingEventInfo& RegisterEvent(std::string_view name, const BindingTypeInfo* payload);
  void UnregisterEvent(std::string_view name);
  const BindingEventInfo* FindEvent(std::string_view name) const noexcept;

  // Visits every type and event in the order of the name tables, under the
  // registry mutex.
  template <typename Visitor>
  void ForEachType(Visitor&& visit) const;
  template <typename Visitor>
  void ForEachEvent(Visitor&& visit) const;

  // Converts a native value into result.Value() (emptied first), or fails
  // the result.
  template <typename T>
  void ToValue(BindingResult& result, const T& native) const {
    if (!result.Ok()) return;
    result.Value().Clear();
    NativeConversion<T>::ToValue(result, result.Value(), native, NativeConversion<T>::Info(*this), *this);
  }
  // Assigns a value to a native object; `name` is the one name shown in
  // messages. On failure, what was written before the failure stays.
  template <typename T>
  void Assign(BindingResult& result, T& native, const BindingValue& source, std::string_view name) const {
    NativeConversion<T>::Assign(result, native, source, name, NativeConversion<T>::Info(*this), *this);
  }

 private:
  friend class BindingTypeBuilder;

  struct IdentifierHash {
    std::size_t operator()(std::uint32_t identifier) const noexcept {
      return Fnv1a32(&identifier, sizeof identifier);  // little-endian: least significant byte first
    }
  };

  mutable std::mutex mutex_;
  std::unordered_map<std::string, std::unique_ptr<BindingTypeInfo>, BindingNameHash, std::equal_to<>> typesByName_;
  std::unordered_map<std::uint32_t, BindingTypeInfo*, IdentifierHash> typesByIdentifier_;
  std::unordered_map<std::string, std::unique_ptr<BindingEventInfo>, BindingNameHash, std::equal_to<>> events_;
};

// Describes one registered type; every operation does nothing when the type
// existed before this builder was made.
class BindingTypeBuilder {
 public:
  BindingTypeBuilder(BindingRegistry& registry, BindingTypeInfo* info, bool alreadyExisted) noexcept
      : registry_(&registry), info_(info), alreadyExisted_(alreadyExisted) {}

  BindingTypeInfo* Info() const noexcept { return info_; }
  bool AlreadyExisted() const noexcept { return alreadyExisted_; }

  BindingTypeBuilder& SetDescription(std::string_view description);
  BindingTypeBuilder& SetNamespace(std::string_view nameSpace);
  // An empty tag is not added.
  BindingTypeBuilder& AddTag(std::string_view tag);
  BindingTypeBuilder& AddTags(std::initializer_list<std::string_view> tags);
  // Enters or overwrites the enumerator of that name.
  BindingTypeBuilder& AddEnumerator(std::string_view name, std::int32_t value, std::string_view description = {});

  // A field of native type F at a byte offset. The type info of a struct or
  // enum field (or element) is looked up now, so it must be registered first.
  template <typename F>
  BindingTypeBuilder& AddField(std::string_view name, std::uint32_t offset, std::string_view description = {},
                               std::uint32_t flags = kBindingFieldNone, BindingTypeId declaredType = {});
  template <typename S, typename F>
  BindingTypeBuilder& AddField(std::string_view name, F S::*member, std::string_view description = {},
                               std::uint32_t flags = kBindingFieldNone, BindingTypeId declaredType = {}) {
    return AddField<F>(name, MemberOffset(member), description, flags, declaredType);
  }

 private:
  template <typename S, typename F>
  static std::uint32_t MemberOffset(F S::*member) noexcept {
    // Storage for an S that is never constructed: only addresses are taken.
    union Storage {
      Storage() {}
      ~Storage() {}
      S object;
    } storage;
    return static_cast<std::uint32_t>(reinterpret_cast<const char*>(&(storage.object.*member)) -
                                      reinterpret_cast<const char*>(&storage.object));
  }

  BindingTypeBuilder& AppendField(std::unique_ptr<BindingFieldInfo> field);

  BindingRegistry* registry_;
  BindingTypeInfo* info_;
  bool alreadyExisted_;
};

template <typename T>
BindingTypeBuilder BindingRegistry::RegisterType(std::string_view name) {
  return RegisterType(static_cast<std::uint32_t>(sizeof(T)), name, StaticTypeOf<T>(), std::is_enum_v<T>);
}

template <typename F>
BindingTypeBuilder& BindingTypeBuilder::AddField(std::string_view name, std::uint32_t offset,
                                                 std::string_view description, std::uint32_t flags,
                                                 BindingTypeId declaredType) {
  if (alreadyExisted_) return *this;
  auto field = std::make_unique<BindingFieldInfo>();
  field->name = std::string(name);
  field->nameHash = Fnv1a32(name);
  field->description = std::string(description);
  field->staticType = &StaticTypeOf<F>();
  field->offset = offset;
  field->type = BindingTypeIdOf<F>(*registry_);
  field->declaredType = declaredType;
  field->flags = flags;
  field->converter = std::make_unique<TypedConverter<F>>();
  field->optional = std::is_same_v<F, std::optional<std::string>>;
  if constexpr (std::is_same_v<F, std::string> || IsVector<F>::value) {
    info_->detachedFields.push_back({offset, [](const void* native, std::size_t& bytes) -> const void* {
                                       const F& value = *static_cast<const F*>(native);
                                       bytes = value.size() * sizeof(*value.data());
                                       return value.data();
                                     }});
  } else if constexpr (std::is_same_v<F, std::optional<std::string>>) {
    info_->detachedFields.push_back({offset, [](const void* native, std::size_t& bytes) -> const void* {
                                       const F& value = *static_cast<const F*>(native);
                                       bytes = value.has_value() ? value->size() : 0;
                                       return value.has_value() ? value->data() : nullptr;
                                     }});
  }
  return AppendField(std::move(field));
}

template <typename Visitor>
void BindingRegistry::ForEachType(Visitor&& visit) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [name, info] : typesByName_) visit(*info);
}

template <typename Visitor>
void BindingRegistry::ForEachEvent(Visitor&& visit) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [name, event] : events_) visit(*event);
}

}  // namespace kel
