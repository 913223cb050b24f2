#pragma once
// Whether two HostValues hold the same thing: kinds, counts, bytes of texts
// and blobs, keys and owns-key bytes, element by element. Pointers may differ.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "binding/binding_registry.h"
#include "binding/host_value_abi.h"
#include "binding/host_value_arena.h"
#include "binding/host_value_conversion.h"
#include "binding/native_host_value.h"

namespace kel::testing {

inline ::testing::AssertionResult SameHostValue(const HostValue& expected, const HostValue& actual) {
  struct Pair {
    const HostValue* expected;
    const HostValue* actual;
    std::string path;
  };
  std::vector<Pair> pending{{&expected, &actual, "$"}};
  while (!pending.empty()) {
    const Pair pair = pending.back();
    pending.pop_back();
    const HostValue& a = *pair.expected;
    const HostValue& b = *pair.actual;
    if (a.kind != b.kind) {
      return ::testing::AssertionFailure() << pair.path << ": kind " << a.kind << " vs " << b.kind;
    }
    if (std::memcmp(&a.payload, &b.payload, sizeof a.payload) == 0) continue;
    const HostValueReference& ra = a.payload.reference;
    const HostValueReference& rb = b.payload.reference;
    const bool referenced = a.kind >= kHostValueBorrowedString && a.kind <= kHostValueMap;
    if (!referenced || ra.count != rb.count) {
      return ::testing::AssertionFailure() << pair.path << ": payload or count differs";
    }
    if (a.kind == kHostValueArray) {
      const auto* ea = static_cast<const HostValue*>(ra.pointer);
      const auto* eb = static_cast<const HostValue*>(rb.pointer);
      for (std::uint32_t i = 0; i < ra.count; ++i)
        pending.push_back({&ea[i], &eb[i], pair.path + "[" + std::to_string(i) + "]"});
    } else if (a.kind == kHostValueMap) {
      const auto* ea = static_cast<const HostValueMapEntry*>(ra.pointer);
      const auto* eb = static_cast<const HostValueMapEntry*>(rb.pointer);
      for (std::uint32_t i = 0; i < ra.count; ++i) {
        if (std::strcmp(ea[i].key, eb[i].key) != 0 || ea[i].owns_key != eb[i].owns_key) {
          return ::testing::AssertionFailure() << pair.path << ": key " << ea[i].key << " vs " << eb[i].key;
        }
        pending.push_back({&ea[i].value, &eb[i].value, pair.path + "." + ea[i].key});
      }
    } else {
      const std::size_t bytes =
          a.kind == kHostValueOwnedBlob || a.kind == kHostValueBorrowedBlob ? ra.count : ra.count + 1;
      if (std::memcmp(ra.pointer, rb.pointer, bytes) != 0) {
        return ::testing::AssertionFailure() << pair.path << ": bytes differ";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Whether `actual` is what the binding path (the registry's ToValue, then
// ToHostValue with enum names) makes of `native`.
template <typename T>
::testing::AssertionResult SameAsBindingPath(const BindingRegistry& registry, const T& native,
                                             const HostValue& actual) {
  BindingResult tree;
  registry.ToValue(tree, native);
  if (!tree.Ok()) return ::testing::AssertionFailure() << "the binding path failed: " << tree.Message();
  HostValue expected{};
  ToHostValue(tree, tree.Value(), expected, &registry);
  ::testing::AssertionResult same = SameHostValue(expected, actual);
  ReleaseHostValue(expected);
  return same;
}

// Whether the host-value writer gives what the binding path gives, or, when
// `succeeds` is false, fails as the binding path does, with its message.
template <typename T>
::testing::AssertionResult WriterMatchesBindingPath(const BindingRegistry& registry, const T& native,
                                                    bool succeeds = true) {
  HostValueArena arena;
  HostValueWriter writer(arena, registry);
  HostValue actual{};
  WriteHostValue(writer, actual, native);
  if (writer.Ok() != succeeds) return ::testing::AssertionFailure() << "the writer said: " << writer.Message();
  if (!succeeds) {
    BindingResult tree;
    registry.ToValue(tree, native);
    if (!tree.Ok() && tree.Message() == writer.Message()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << writer.Message() << " vs " << tree.Message();
  }
  ::testing::AssertionResult same = SameAsBindingPath(registry, native, actual);
  arena.HandOverTo(actual);
  ReleaseArenaHostValue(actual);
  return same;
}

}  // namespace kel::testing
