#include "binding/host_value_conversion.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "binding/binding_registry.h"
#include "binding/host_value_arena.h"
#include "binding/work_stack.h"
#include "diagnostics/positional_format.h"

namespace kel {
namespace {

constexpr std::string_view kOutOfMemory = "Couldn't convert value to a host value because memory is exhausted.";

// The plug-in's heap, for values released node by node by ReleaseHostValue.
class MallocStorage final : public HostValueStorage {
 public:
  void* AllocateZeroed(std::size_t count, std::size_t size) override {
    void* block = std::calloc(count == 0 ? 1 : count, size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
  }
  char* CopyText(std::string_view text) override {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy == nullptr) throw std::bad_alloc();
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
  }
  void* CopyBytes(const void* data, std::size_t size) override {
    void* copy = std::malloc(size == 0 ? 1 : size);
    if (copy == nullptr) throw std::bad_alloc();
    if (size != 0) std::memcpy(copy, data, size);
    return copy;
  }
};

void SetReference(HostValue& target, std::uint32_t kind, const void* pointer, std::size_t count) {
  target.payload.reference.pointer = pointer;
  target.payload.reference.count = static_cast<std::uint32_t>(count);
  target.kind = kind;
}

// Every slot is filled only after its memory is there, so a partly built
// value is always safe to release.
void BuildHostValue(const BindingValue& value, HostValue& out, const BindingRegistry* registry,
                    HostValueStorage& storage) {
  struct Pending {
    const BindingValue* source;
    HostValue* target;
  };
  WorkStack<Pending> pending;
  pending.Push({&value, &out});
  while (!pending.Empty()) {
    Pending item = pending.Pop();
    const BindingValue& source = *item.source;
    HostValue& target = *item.target;
    switch (source.Kind()) {
      case BindingValueKind::kEmpty: target.kind = kHostValueNull; break;
      case BindingValueKind::kBool:
        target.payload.boolean = source.GetBool() ? 1 : 0;
        target.kind = kHostValueBool;
        break;
      case BindingValueKind::kSigned:
        target.payload.signed_value = source.GetSigned();
        target.kind = kHostValueSigned;
        break;
      case BindingValueKind::kUnsigned:
        target.payload.unsigned_value = source.GetUnsigned();
        target.kind = kHostValueUnsigned;
        break;
      case BindingValueKind::kFloat:
        target.payload.float_value = source.GetDouble();
        target.kind = kHostValueFloat;
        break;
      case BindingValueKind::kString: {
        std::string_view text = source.GetString();
        SetReference(target, kHostValueOwnedString, storage.CopyText(text), text.size());
        break;
      }
      case BindingValueKind::kBlob: {
        std::span<const std::uint8_t> bytes = source.GetBlob();
        SetReference(target, kHostValueOwnedBlob, storage.CopyBytes(bytes.data(), bytes.size()), bytes.size());
        break;
      }
      case BindingValueKind::kEnum: {
        BindingEnum pair = source.GetEnum();
        const char* name = registry != nullptr ? registry->EnumeratorName(pair.type, pair.value) : nullptr;
        if (name != nullptr) {
          SetReference(target, kHostValueOwnedString, storage.CopyText(name), std::strlen(name));
        } else {
          target.payload.signed_value = pair.value;
          target.kind = kHostValueSigned;
        }
        break;
      }
      case BindingValueKind::kCollection: {
        std::span<const BindingValue> elements = source.Elements();
        HostValue* array = static_cast<HostValue*>(storage.AllocateZeroed(elements.size(), sizeof(HostValue)));
        SetReference(target, kHostValueArray, array, elements.size());
        for (std::size_t i = elements.size(); i-- > 0;) pending.Push({&elements[i], &array[i]});
        break;
      }
      case BindingValueKind::kStructure: {
        HostValueMapEntry* entries =
            static_cast<HostValueMapEntry*>(storage.AllocateZeroed(source.Size(), sizeof(HostValueMapEntry)));
        SetReference(target, kHostValueMap, entries, source.Size());
        HostValueMapEntry* entry = entries;
        for (auto [key, member] : source.Members()) {
          entry->key = storage.CopyText(key);
          entry->owns_key = 1;
          pending.Push({&member, &entry->value});
          ++entry;
        }
        break;
      }
    }
  }
}

void FailTooLarge(BindingResult& result, std::string_view name, std::uint32_t count) {
  result.Fail(FormatMessage(
      "Couldn't assign value to '%1' because the input holds %2 elements, more than can be reserved.", name, count));
}

void BuildBindingValue(BindingResult& result, const HostValue& value, std::string_view name) {
  struct Pending {
    const HostValue* source;
    BindingValue* target;
  };
  WorkStack<Pending> pending;
  pending.Push({&value, &result.Value()});
  while (!pending.Empty()) {
    Pending item = pending.Pop();
    const HostValue& source = *item.source;
    BindingValue& target = *item.target;
    const HostValueReference& reference = source.payload.reference;
    switch (source.kind) {
      case kHostValueNull: target.Clear(); break;
      case kHostValueBool: target.SetBool(source.payload.boolean != 0); break;
      case kHostValueSigned: target.SetSigned(source.payload.signed_value); break;
      case kHostValueUnsigned: target.SetUnsigned(source.payload.unsigned_value); break;
      case kHostValueFloat: target.SetDouble(source.payload.float_value); break;
      case kHostValueBorrowedString:
      case kHostValueOwnedString: target.SetString(static_cast<const char*>(reference.pointer)); break;
      case kHostValueBorrowedBlob:
      case kHostValueOwnedBlob:
        target.SetBlob(reference.pointer, reference.pointer != nullptr ? reference.count : 0);
        break;
      case kHostValueArray: {
        std::uint32_t count = reference.pointer != nullptr ? reference.count : 0;
        target.Clear();  // a repeated map key replaces the earlier value whole
        target.MakeCollection();
        if (!target.Reserve(count)) return FailTooLarge(result, name, count);
        const HostValue* elements = static_cast<const HostValue*>(reference.pointer);
        for (std::uint32_t i = 0; i < count; ++i) target.Append();
        std::span<BindingValue> copies = target.Elements();
        for (std::uint32_t i = count; i-- > 0;) pending.Push({&elements[i], &copies[i]});
        break;
      }
      case kHostValueMap: {
        std::uint32_t count = reference.pointer != nullptr ? reference.count : 0;
        if (count > kMaxCollectionSize) return FailTooLarge(result, name, count);
        target.Clear();
        target.MakeStructure();
        // Entries are assigned in order, each one's whole value before the
        // next, so of two entries with one key the later one wins: the work
        // list is last in, first out, so they go on it last entry first.
        const HostValueMapEntry* entries = static_cast<const HostValueMapEntry*>(reference.pointer);
        for (std::uint32_t i = count; i-- > 0;) {
          const char* key = entries[i].key != nullptr ? entries[i].key : "";
          pending.Push({&entries[i].value, &target.Member(key)});
        }
        break;
      }
      default:
        result.Fail(FormatMessage(
            "Couldn't assign value to '%1' of type object because the input is of an incompatible type '%2'.", name,
            ""));
        return;
    }
  }
}

}  // namespace

void ToHostValue(BindingResult& result, const BindingValue& value, HostValue& out, const BindingRegistry* registry) {
  std::memset(&out, 0, sizeof out);
  if (!result.Ok()) return;
  MallocStorage storage;
  try {
    BuildHostValue(value, out, registry, storage);
  } catch (const std::exception&) {
    ReleaseHostValue(out);
    result.Fail(kOutOfMemory);
  }
}

void ToHostValue(BindingResult& result, const BindingValue& value, HostValue& out, const BindingRegistry* registry,
                 HostValueStorage& storage) {
  std::memset(&out, 0, sizeof out);
  if (!result.Ok()) return;
  try {
    BuildHostValue(value, out, registry, storage);
  } catch (const std::exception&) {
    std::memset(&out, 0, sizeof out);
    result.Fail(kOutOfMemory);
  }
}

void FromHostValue(BindingResult& result, const HostValue& value, std::string_view name) {
  if (!result.Ok()) return;
  result.Value().Clear();
  try {
    BuildBindingValue(result, value, name);
  } catch (const std::exception&) {
    result.Fail(FormatMessage("Couldn't assign value to '%1' because memory is exhausted.", name));
  }
}

void ReleaseHostValue(HostValue& value) noexcept {
  // A block of elements is freed after the elements in it: its marker goes
  // on the list before them and so comes off after them.
  struct Pending {
    HostValue* value;
    void* block;
  };
  WorkStack<Pending> pending;
  pending.Push({&value, nullptr});
  while (!pending.Empty()) {
    Pending item = pending.Pop();
    if (item.value == nullptr) {
      std::free(item.block);
      continue;
    }
    HostValue& current = *item.value;
    void* pointer = const_cast<void*>(current.payload.reference.pointer);
    std::uint32_t count = current.payload.reference.count;
    std::uint32_t kind = current.kind;
    std::memset(&current, 0, sizeof current);
    if (kind == kHostValueOwnedString || kind == kHostValueOwnedBlob) {
      std::free(pointer);
    } else if (kind == kHostValueArray && pointer != nullptr) {
      pending.Push({nullptr, pointer});
      HostValue* elements = static_cast<HostValue*>(pointer);
      for (std::uint32_t i = 0; i < count; ++i) pending.Push({&elements[i], nullptr});
    } else if (kind == kHostValueMap && pointer != nullptr) {
      pending.Push({nullptr, pointer});
      HostValueMapEntry* entries = static_cast<HostValueMapEntry*>(pointer);
      for (std::uint32_t i = 0; i < count; ++i) {
        if (entries[i].owns_key != 0) std::free(const_cast<char*>(entries[i].key));
        pending.Push({&entries[i].value, nullptr});
      }
    }
  }
}

}  // namespace kel
