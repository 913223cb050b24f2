#pragma once
// The storage shared by every value of one tree: its small-object pool and
// its interned strings. Created by the root on first need, deleted with it.

#include "binding/small_object_allocator.h"
#include "binding/string_pool.h"

namespace kel {

class BindingValueContext {
 public:
  BindingValueContext() noexcept : strings(blocks) {}
  BindingValueContext(const BindingValueContext&) = delete;
  BindingValueContext& operator=(const BindingValueContext&) = delete;

  SmallObjectAllocator blocks;  // declared first: the strings live in it
  StringPool strings;
};

}  // namespace kel
