#pragma once
// Writes a HostValue straight from native records, with the registry's field
// records as the map, instead of building a binding value first. What it
// writes is exactly what ToHostValue writes for the binding value that the
// registry's ToValue makes of the same record (members in unsigned byte order
// of their names, omit-empty fields left out, absent optional texts as null,
// enums by name, owned keys), and it fails with the same messages. The memory
// comes from one arena, so the value is released whole.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "binding/host_value_abi.h"
#include "binding/host_value_arena.h"

namespace kel {

class BindingRegistry;
class BindingValue;
struct BindingFieldInfo;
struct BindingTypeInfo;
struct StaticTypeId;

class HostValueWriter {
 public:
  HostValueWriter(HostValueArena& arena, const BindingRegistry& registry) : arena_(arena), registry_(registry) {}

  const BindingRegistry& Registry() const { return registry_; }
  [[nodiscard]] bool Ok() const { return message_.empty(); }
  std::string_view Message() const { return message_; }
  void Fail(std::string_view message);

  void Text(HostValue& out, std::string_view text);
  // A map entry's key, owned by the value.
  const char* Key(std::string_view key) { return arena_.CopyText(key); }
  void Blob(HostValue& out, const void* data, std::size_t size);
  void Enum(HostValue& out, std::int32_t value, const StaticTypeId& type);
  // `count` zeroed elements, or null after failing when there are more than
  // a collection may hold.
  HostValue* Array(HostValue& out, std::size_t count);
  // Room for `capacity` entries; the caller sets the count it used.
  HostValueMapEntry* Map(HostValue& out, std::size_t capacity);
  // A registered struct; true when it has no member.
  bool Struct(HostValue& out, const void* native, const BindingTypeInfo* info);
  void Value(HostValue& out, const BindingValue& value);

  // Asks the memory for what writing a record will read, some records before
  // the writer reaches it: a list larger than the caches is otherwise written
  // at the pace of one miss after another. First the record's own lines,
  // then, once those have had time to arrive, the start of its texts and lists.
  static void FetchRecord(const void* native, std::size_t size) noexcept {
    const auto* bytes = static_cast<const char*>(native);
    for (std::size_t line = 0; line < size; line += 64) __builtin_prefetch(bytes + line);
  }
  static void FetchDetached(const void* native, const BindingTypeInfo& info) noexcept;
  static constexpr std::size_t kDetachedBytesAhead = 256;

 private:
  // A field's name as a key: copied into the arena once per value and shared
  // by every entry of that field, since the value is released whole.
  const char* FieldKey(const BindingFieldInfo& field);

  struct CopiedKey {
    const BindingFieldInfo* field;
    const char* copy;
  };
  // By the field's address, multiplied out over every bit: 128 slots of the
  // address's low bits shared slots among a champion list's fields, which
  // copied the same names again and again (15.0 M instructions per route-1
  // answer against 13.2 M with these).
  static constexpr unsigned kCopiedKeyBits = 9;
  HostValueArena& arena_;
  // Cleared by the first FieldKey: most values a writer makes (a route's
  // small answer, a map of texts) have no field at all, and clearing 8 KiB
  // for each of them was a tenth of a request's dispatch.
  bool copiedKeysCleared_ = false;
  std::array<CopiedKey, std::size_t{1} << kCopiedKeyBits> copiedKeys_;
  const BindingRegistry& registry_;
  std::string message_;
};

}  // namespace kel
