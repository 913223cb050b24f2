#pragma once
// The storage shared by every value of one tree: its small-object pool, its
// interned strings and its variable-size blocks. Created by the root on first need, deleted with it.

#include "binding/heap_blocks.h"
#include "binding/small_object_allocator.h"
#include "binding/string_pool.h"

namespace kel {

class BindingValueContext {
 public:
  BindingValueContext() noexcept : strings(blocks, heap) {}
  BindingValueContext(const BindingValueContext&) = delete;
  BindingValueContext& operator=(const BindingValueContext&) = delete;

  HeapBlocks heap;              // declared before the strings, which live in
  SmallObjectAllocator blocks;  // these two
  StringPool strings;
};

}  // namespace kel
