#include "host/host_value_json.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace kel::host {
namespace {

std::string_view BlobOf(const HostValueReference& reference) {
  if (reference.pointer == nullptr) return {};
  return {static_cast<const char*>(reference.pointer), reference.count};
}

// A container being written: where its next member or element is, where
// they end, and where they start (the first has no comma before it).
struct OpenContainer {
  const char* next;
  const char* end;
  const char* first;
  bool map;
};

uint32_t CountOf(const HostValue& value) {
  return value.payload.reference.pointer != nullptr ? value.payload.reference.count : 0;
}

// Writes a value that is not a container, in room for a token; a
// container is left to the walk (false). In the walk's loops, so that a
// member costs no call. The kinds are tested in turn, the most frequent in
// a champion list first (flags, texts, containers, integers): a switch
// made one indirect jump per member, which the answer's alternating kinds
// kept from being predicted (host route 1 at 1.58x-1.63x against
// 1.51x-1.55x on an Intel machine).
inline __attribute__((always_inline)) bool WriteScalar(JsonTextWriter::Run& run, const HostValue& value) {
  const uint32_t kind = value.kind;
  if (kind == kHostValueBool) {
    run.Bool(value.payload.boolean != 0);
  } else if (kind == kHostValueOwnedString || kind == kHostValueBorrowedString) {
    // A string ends at its count or at a NUL before it.
    run.Text(static_cast<const char*>(value.payload.reference.pointer), value.payload.reference.count);
  } else if (kind == kHostValueMap || kind == kHostValueArray) {
    return false;
  } else if (kind == kHostValueSigned) {
    run.Integer(value.payload.signed_value);
  } else if (kind == kHostValueUnsigned) {
    run.Integer(value.payload.unsigned_value);
  } else if (kind == kHostValueFloat) {
    run.Double(value.payload.float_value);
  } else if (kind == kHostValueBorrowedBlob || kind == kHostValueOwnedBlob) {
    run.String(BlobOf(value.payload.reference));
  } else {
    run.Null();
  }
  return true;
}

// Opens a container in the room ensured for it as a token.
inline __attribute__((always_inline)) void Open(JsonTextWriter::Run& run, const HostValue& value,
                                                std::vector<OpenContainer>& open) {
  const bool map = value.kind == kHostValueMap;
  run.Put(map ? '{' : '[');
  const auto* first = static_cast<const char*>(value.payload.reference.pointer);
  const std::size_t size = map ? sizeof(HostValueMapEntry) : sizeof(HostValue);
  open.push_back({first, first + std::size_t{CountOf(value)} * size, first, map});
}

// Writes members from `entry` in batches until the end or a container,
// which it returns (null at the end); `entry` is then past it.
template <typename Member, typename WriteMember>
inline __attribute__((always_inline)) const HostValue* WriteMembers(JsonTextWriter::Run& run, const Member*& entry,
                                                                    const Member* end,
                                                                    const WriteMember& write_member) {
  using Run = JsonTextWriter::Run;
  while (entry != end) {
    run.Ensure(Run::kBatchRoom);
    const Member* stop = end - entry > static_cast<std::ptrdiff_t>(Run::kBatch) ? entry + Run::kBatch : end;
    while (entry != stop) {
      const Member& member = *entry++;
      if (const HostValue* inner = write_member(member); inner != nullptr) return inner;
    }
  }
  return nullptr;
}

}  // namespace

void WriteHostValue(JsonTextWriter& writer, const HostValue& root) {
  JsonTextWriter::Run run(writer);
  run.Ensure(JsonTextWriter::Run::kTokenRoom);
  if (WriteScalar(run, root)) return;
  std::vector<OpenContainer> open;
  open.reserve(32);
  JsonTextWriter::QuotedKeys keys;
  Open(run, root, open);
  // The members of the innermost open container are written in a loop of
  // their own until one is a container, which is opened and walked first.
  while (!open.empty()) {
    OpenContainer& top = open.back();
    const HostValue* inner = nullptr;
    if (top.map) {
      const auto* first = reinterpret_cast<const HostValueMapEntry*>(top.first);
      const auto* entry = reinterpret_cast<const HostValueMapEntry*>(top.next);
      inner = WriteMembers(run, entry, reinterpret_cast<const HostValueMapEntry*>(top.end),
                           [&](const HostValueMapEntry& member) -> const HostValue* {
                             run.Key(member.key, keys, &member != first);
                             return WriteScalar(run, member.value) ? nullptr : &member.value;
                           });
      top.next = reinterpret_cast<const char*>(entry);
    } else {
      const auto* first = reinterpret_cast<const HostValue*>(top.first);
      const auto* element = reinterpret_cast<const HostValue*>(top.next);
      inner = WriteMembers(run, element, reinterpret_cast<const HostValue*>(top.end),
                           [&](const HostValue& member) -> const HostValue* {
                             run.Comma(&member != first);
                             return WriteScalar(run, member) ? nullptr : &member;
                           });
      top.next = reinterpret_cast<const char*>(element);
    }
    if (inner != nullptr) {
      Open(run, *inner, open);
    } else {
      run.Ensure(1);
      run.Put(top.map ? '}' : ']');
      open.pop_back();
    }
  }
}

std::string HostValueToJson(const HostValue& value) {
  thread_local std::size_t last_size = 0;
  std::string text;
  // An eighth more than the last one: the writer asks for a token's room
  // ahead of each token, so room of exactly the last text's size doubled
  // (a copy of the whole text into fresh pages) at the end of every
  // champion list.
  text.reserve(last_size + last_size / 8);
  {
    JsonTextWriter writer(text);
    WriteHostValue(writer, value);
  }
  last_size = text.size();
  KeepOnlyWhatIsUsed(text);
  return text;
}

const HostValue* FindHostValueMember(const HostValue& map, std::string_view key) {
  if (map.kind != kHostValueMap) return nullptr;
  const auto* entries = static_cast<const HostValueMapEntry*>(map.payload.reference.pointer);
  for (uint32_t i = 0; i < CountOf(map); ++i) {
    if (entries[i].key != nullptr && entries[i].key == key) return &entries[i].value;
  }
  return nullptr;
}

namespace {

char* CopyText(const char* text, std::size_t length) {
  auto* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

void SetReference(HostValue& target, HostValueKind kind, const void* pointer, uint32_t count) {
  target.kind = pointer != nullptr ? kind : kHostValueNull;
  target.payload.reference.pointer = pointer;
  target.payload.reference.count = pointer != nullptr ? count : 0;
}

struct PendingEncode {
  const JsonValue* source;
  HostValue* target;
};

}  // namespace

HostValue EncodeHostValue(const JsonValue& root) {
  HostValue encoded{};
  std::vector<PendingEncode> pending{{&root, &encoded}};
  while (!pending.empty()) {
    const auto [source, target] = pending.back();
    pending.pop_back();
    *target = HostValue{};
    if (source->IsBool()) {
      target->kind = kHostValueBool;
      target->payload.boolean = source->GetBool() ? 1 : 0;
    } else if (source->IsUint64()) {
      target->kind = kHostValueUnsigned;
      target->payload.unsigned_value = source->GetUint64();
    } else if (source->IsInt64()) {
      target->kind = kHostValueSigned;
      target->payload.signed_value = source->GetInt64();
    } else if (source->IsNumber()) {
      target->kind = kHostValueFloat;
      target->payload.float_value = source->GetDouble();
    } else if (source->IsString()) {
      SetReference(*target, kHostValueOwnedString, CopyText(source->GetString(), source->GetStringLength()),
                   source->GetStringLength());
    } else if (source->IsArray()) {
      const uint32_t count = source->Size();
      auto* elements = static_cast<HostValue*>(std::calloc(count != 0 ? count : 1, sizeof(HostValue)));
      SetReference(*target, kHostValueArray, elements, count);
      for (uint32_t i = 0; elements != nullptr && i < count; ++i) pending.push_back({&(*source)[i], &elements[i]});
    } else if (source->IsObject()) {
      const uint32_t count = source->MemberCount();
      auto* entries = static_cast<HostValueMapEntry*>(std::calloc(count != 0 ? count : 1, sizeof(HostValueMapEntry)));
      SetReference(*target, kHostValueMap, entries, count);
      uint32_t i = 0;
      for (auto member = source->MemberBegin(); entries != nullptr && member != source->MemberEnd(); ++member, ++i) {
        entries[i].key = CopyText(member->name.GetString(), member->name.GetStringLength());
        entries[i].owns_key = 1;
        pending.push_back({&member->value, &entries[i].value});
      }
    }
  }
  return encoded;
}

void ReleaseEncodedHostValue(HostValue& root) noexcept {
  std::vector<HostValue> pending{root};
  root = HostValue{};
  while (!pending.empty()) {
    const HostValue value = pending.back();
    pending.pop_back();
    void* pointer = const_cast<void*>(value.payload.reference.pointer);
    if (value.kind == kHostValueArray && pointer != nullptr) {
      const auto* elements = static_cast<const HostValue*>(pointer);
      pending.insert(pending.end(), elements, elements + value.payload.reference.count);
    } else if (value.kind == kHostValueMap && pointer != nullptr) {
      auto* entries = static_cast<HostValueMapEntry*>(pointer);
      for (uint32_t i = 0; i < value.payload.reference.count; ++i) {
        if (entries[i].owns_key != 0) std::free(const_cast<char*>(entries[i].key));
        pending.push_back(entries[i].value);
      }
    } else if (value.kind != kHostValueOwnedString && value.kind != kHostValueOwnedBlob) {
      continue;
    }
    std::free(pointer);
  }
}

}  // namespace kel::host
