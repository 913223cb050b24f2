#pragma once
// Whether two HostValues hold the same thing: kinds, counts, bytes of texts
// and blobs, keys and owns-key bytes, element by element. Pointers may differ.

#include <gtest/gtest.h>

#include "binding/binding_registry.h"
#include "binding/host_value_abi.h"
#include "binding/host_value_arena.h"
#include "binding/host_value_conversion.h"
#include "binding/native_host_value.h"

namespace kel::testing {

::testing::AssertionResult SameHostValue(const HostValue& expected, const HostValue& actual);

// Whether the host-value writer gives what the binding path (the registry's
// ToValue, then ToHostValue with enum names) gives, or, when `succeeds` is
// false, fails as the binding path does, with its message.
template <typename T>
::testing::AssertionResult WriterMatchesBindingPath(const BindingRegistry& registry, const T& native,
                                                    bool succeeds = true) {
  HostValueArena arena;
  HostValueWriter writer(arena, registry);
  HostValue actual{};
  WriteHostValue(writer, actual, native);
  if (writer.Ok() != succeeds) return ::testing::AssertionFailure() << "the writer said: " << writer.Message();
  BindingResult tree;
  registry.ToValue(tree, native);
  if (!succeeds) {
    if (!tree.Ok() && tree.Message() == writer.Message()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << writer.Message() << " vs " << tree.Message();
  }
  if (!tree.Ok()) return ::testing::AssertionFailure() << "the binding path failed: " << tree.Message();
  HostValue expected{};
  ToHostValue(tree, tree.Value(), expected, &registry);
  ::testing::AssertionResult same = SameHostValue(expected, actual);
  ReleaseHostValue(expected);
  arena.HandOverTo(actual);
  ReleaseArenaHostValue(actual);
  return same;
}

}  // namespace kel::testing
