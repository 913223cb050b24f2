#include "binding/host_value_writer.h"

#include <algorithm>
#include <cstring>

#include "binding/binding_registry.h"
#include "binding/host_value_conversion.h"
#include "diagnostics/positional_format.h"

namespace kel {
namespace {

void SetReference(HostValue& target, std::uint32_t kind, const void* pointer, std::size_t count) {
  target.payload.reference.pointer = pointer;
  target.payload.reference.count = static_cast<std::uint32_t>(count);
  target.kind = kind;
}

}  // namespace

void HostValueWriter::Fail(std::string_view message) {
  if (Ok()) message_ = message.empty() ? std::string("failed") : std::string(message);
}

void HostValueWriter::Text(HostValue& out, std::string_view text) {
  SetReference(out, kHostValueOwnedString, arena_.CopyText(text), text.size());
}

void HostValueWriter::Blob(HostValue& out, const void* data, std::size_t size) {
  SetReference(out, kHostValueOwnedBlob, arena_.CopyBytes(data, size), size);
}

void HostValueWriter::Enum(HostValue& out, std::int32_t value, const StaticTypeId& type) {
  if (const char* name = registry_.EnumeratorName(&type, value)) {
    Text(out, name);
    return;
  }
  out.payload.signed_value = value;
  out.kind = kHostValueSigned;
}

HostValue* HostValueWriter::Array(HostValue& out, std::size_t count) {
  if (count > kMaxCollectionSize) {
    Fail(FormatMessage("Couldn't convert native value because its %1 elements exceed the collection limit.",
                       std::to_string(count)));
    return nullptr;
  }
  auto* elements = static_cast<HostValue*>(arena_.AllocateZeroed(count, sizeof(HostValue)));
  SetReference(out, kHostValueArray, elements, count);
  return elements;
}

HostValueMapEntry* HostValueWriter::Map(HostValue& out, std::size_t capacity) {
  auto* entries = static_cast<HostValueMapEntry*>(arena_.AllocateZeroed(capacity, sizeof(HostValueMapEntry)));
  SetReference(out, kHostValueMap, entries, 0);
  return entries;
}

// A run of fields with one name is one member: the value of the last field
// in registration order that is not left out as empty.
bool HostValueWriter::Struct(HostValue& out, const void* native, const BindingTypeInfo* info) {
  if (info == nullptr) {
    Fail("Couldn't convert native value because it's an unregistered structure.");
    return true;
  }
  const auto& fields = info->fieldsByName;
  HostValueMapEntry* entries = Map(out, fields.size());
  std::size_t used = 0;
  const auto* base = static_cast<const unsigned char*>(native);
  for (std::size_t begin = 0; begin < fields.size();) {
    std::size_t end = begin + 1;
    while (end < fields.size() && fields[end]->nameHash == fields[begin]->nameHash &&
           fields[end]->name == fields[begin]->name) {
      ++end;
    }
    HostValueMapEntry& entry = entries[used];
    for (std::size_t i = end; i-- > begin;) {
      const BindingFieldInfo& field = *fields[i];
      const bool empty = field.converter->WriteHost(*this, entry.value, base + field.offset, field.type.info);
      if (!Ok()) return true;
      if (!empty || (field.flags & kBindingFieldOmitEmpty) == 0) {
        entry.key = FieldKey(field);
        entry.owns_key = 1;
        ++used;
        break;
      }
      std::memset(&entry.value, 0, sizeof entry.value);
    }
    begin = end;
  }
  out.payload.reference.count = static_cast<std::uint32_t>(used);
  return used == 0;
}

const char* HostValueWriter::FieldKey(const BindingFieldInfo& field) {
  if (!copiedKeysCleared_) {
    copiedKeys_.fill({nullptr, nullptr});
    copiedKeysCleared_ = true;
  }
  const auto address = reinterpret_cast<std::uintptr_t>(&field);
  CopiedKey& slot = copiedKeys_[(static_cast<std::uint64_t>(address) * 0x9E3779B97F4A7C15u) >> (64 - kCopiedKeyBits)];
  if (slot.field != &field) {
    slot.field = &field;
    slot.copy = arena_.CopyText(field.name);
  }
  return slot.copy;
}

void HostValueWriter::FetchDetached(const void* native, const BindingTypeInfo& info) noexcept {
  const auto* base = static_cast<const unsigned char*>(native);
  for (const BindingTypeInfo::DetachedField& field : info.detachedFields) {
    std::size_t bytes = 0;
    const void* contents = field.contents(base + field.offset, bytes);
    if (bytes != 0) FetchRecord(contents, std::min(bytes, kDetachedBytesAhead));
  }
}

void HostValueWriter::Value(HostValue& out, const BindingValue& value) {
  BindingResult result;
  ToHostValue(result, value, out, &registry_, arena_);
  if (!result.Ok()) Fail(result.Message());
}

}  // namespace kel
