#pragma once
// The variable-size memory of one value tree (element arrays and blob
// bytes), kept on a list so that a tree discarded whole frees it without
// walking its values.
//
// Not synchronised: one tree, one thread at a time.

#include <cstddef>

namespace kel {

class HeapBlocks {
 public:
  HeapBlocks() noexcept = default;
  ~HeapBlocks();
  HeapBlocks(const HeapBlocks&) = delete;
  HeapBlocks& operator=(const HeapBlocks&) = delete;

  // Null when memory is out. Blocks are aligned for any value type.
  void* Allocate(std::size_t bytes) noexcept;
  // Like realloc: null (and the block untouched) when memory is out; a null
  // block allocates.
  void* Reallocate(void* block, std::size_t bytes) noexcept;
  void Free(void* block) noexcept;

 private:
  // Two pointers: the block after it keeps malloc's 8-byte alignment in both
  // builds.
  struct Header {
    Header* previous;
    Header* next;
  };

  void Link(Header* header) noexcept;
  void Unlink(Header* header) noexcept;

  Header* first_ = nullptr;
};

}  // namespace kel
