#include "binding/binding_registry.h"

#include <algorithm>

#include "binding/builtin_types.h"

namespace kel {

std::string_view BindingTypeName(BindingType type) noexcept {
  static constexpr std::string_view kNames[] = {"",       "bool",   "int8",   "uint8",  "int16",    "uint16", "int32",
                                                "uint32", "int64",  "uint64", "float",  "double",   "string", "object",
                                                "blob",   "vector", "enum",   "struct", "callback", "map"};
  auto code = static_cast<std::size_t>(type);
  return code < std::size(kNames) ? kNames[code] : std::string_view();
}

const BindingEnumValueInfo* BindingTypeInfo::FindEnumerator(std::int32_t value) const noexcept {
  for (const auto& [enumeratorName, enumerator] : enumerators) {
    if (enumerator.value == value) return &enumerator;
  }
  return nullptr;
}

const BindingTypeInfo* FindRegisteredType(const BindingRegistry& registry, const StaticTypeId& id) noexcept {
  return registry.FindType(id);
}

BindingRegistry::BindingRegistry() { Initialize(); }

BindingRegistry::~BindingRegistry() { Clear(); }

void BindingRegistry::Initialize() {
  Clear();
  RegisterBuiltinTypes(*this);
}

void BindingRegistry::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
  typesByIdentifier_.clear();
  typesByName_.clear();
}

BindingTypeBuilder BindingRegistry::RegisterType(std::uint32_t size, std::string_view name,
                                                 const StaticTypeId& staticType, bool isEnum) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = typesByName_.find(name);
  if (found != typesByName_.end()) return BindingTypeBuilder(*this, found->second.get(), true);
  auto info = std::make_unique<BindingTypeInfo>();
  info->size = size;
  info->isEnum = isEnum;
  info->name = std::string(name);
  info->typeIdentifier = staticType.identifier;
  info->staticType = &staticType;
  info->registry = this;
  BindingTypeInfo* record = info.get();
  typesByName_.emplace(record->name, std::move(info));
  if (staticType.identifier != kReservedStaticTypeIdentifier) {
    typesByIdentifier_.emplace(staticType.identifier, record);
  }
  return BindingTypeBuilder(*this, record, false);
}

const BindingTypeInfo* BindingRegistry::FindType(const StaticTypeId& staticType) const noexcept {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = typesByIdentifier_.find(staticType.identifier);
  return found != typesByIdentifier_.end() ? found->second : nullptr;
}

const BindingTypeInfo* BindingRegistry::FindType(std::string_view name) const noexcept {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = typesByName_.find(name);
  return found != typesByName_.end() ? found->second.get() : nullptr;
}

const char* BindingRegistry::EnumeratorName(const StaticTypeId* staticType, std::int32_t value) const noexcept {
  if (staticType == nullptr) return nullptr;
  const BindingTypeInfo* info = FindType(*staticType);
  const BindingEnumValueInfo* enumerator = info != nullptr ? info->FindEnumerator(value) : nullptr;
  return enumerator != nullptr ? enumerator->name.c_str() : nullptr;
}

BindingEventInfo& BindingRegistry::RegisterEvent(std::string_view name, const BindingTypeInfo* payload) {
  auto event = std::make_unique<BindingEventInfo>();
  event->name = std::string(name);
  event->payload = payload;
  BindingEventInfo& record = *event;
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = events_.find(name);
  if (found != events_.end())
    found->second = std::move(event);
  else
    events_.emplace(record.name, std::move(event));
  return record;
}

void BindingRegistry::UnregisterEvent(std::string_view name) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = events_.find(name);
  if (found != events_.end()) events_.erase(found);
}

const BindingEventInfo* BindingRegistry::FindEvent(std::string_view name) const noexcept {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = events_.find(name);
  return found != events_.end() ? found->second.get() : nullptr;
}

BindingTypeBuilder& BindingTypeBuilder::SetDescription(std::string_view description) {
  if (!alreadyExisted_) info_->description = std::string(description);
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::SetNamespace(std::string_view nameSpace) {
  if (!alreadyExisted_) info_->nameSpace = std::string(nameSpace);
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AddTag(std::string_view tag) {
  if (!alreadyExisted_ && !tag.empty()) info_->tags.emplace_back(tag);
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AddTags(std::initializer_list<std::string_view> tags) {
  for (std::string_view tag : tags) AddTag(tag);
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AddEnumerator(std::string_view name, std::int32_t value,
                                                      std::string_view description) {
  if (alreadyExisted_) return *this;
  BindingEnumValueInfo& enumerator = info_->enumerators[std::string(name)];
  enumerator.value = value;
  enumerator.name = std::string(name);
  enumerator.description = std::string(description);
  enumerator.owner = info_;
  return *this;
}

BindingTypeBuilder& BindingTypeBuilder::AppendField(std::unique_ptr<BindingFieldInfo> field) {
  field->owner = info_;
  auto& byName = info_->fieldsByName;
  const auto position = std::upper_bound(byName.begin(), byName.end(), field->name,
                                         [](const std::string& name, const BindingFieldInfo* other) {
                                           return std::string_view(name) < std::string_view(other->name);
                                         });
  byName.insert(position, field.get());
  info_->fields.push_back(std::move(field));
  return *this;
}

}  // namespace kel
