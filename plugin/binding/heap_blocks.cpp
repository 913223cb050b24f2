#include "binding/heap_blocks.h"

#include <cstdlib>

namespace kel {

HeapBlocks::~HeapBlocks() {
  while (first_ != nullptr) {
    Header* next = first_->next;
    std::free(first_);
    first_ = next;
  }
}

void HeapBlocks::Link(Header* header) noexcept {
  header->previous = nullptr;
  header->next = first_;
  if (first_ != nullptr) first_->previous = header;
  first_ = header;
}

void HeapBlocks::Unlink(Header* header) noexcept {
  if (header->previous != nullptr)
    header->previous->next = header->next;
  else
    first_ = header->next;
  if (header->next != nullptr) header->next->previous = header->previous;
}

void* HeapBlocks::Allocate(std::size_t bytes) noexcept {
  Header* header = static_cast<Header*>(std::malloc(sizeof(Header) + bytes));
  if (header == nullptr) return nullptr;
  Link(header);
  return header + 1;
}

void* HeapBlocks::Reallocate(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) return Allocate(bytes);
  Header* header = static_cast<Header*>(block) - 1;
  Unlink(header);
  Header* moved = static_cast<Header*>(std::realloc(header, sizeof(Header) + bytes));
  if (moved == nullptr) {
    Link(header);
    return nullptr;
  }
  Link(moved);
  return moved + 1;
}

void HeapBlocks::Free(void* block) noexcept {
  if (block == nullptr) return;
  Header* header = static_cast<Header*>(block) - 1;
  Unlink(header);
  std::free(header);
}

}  // namespace kel
