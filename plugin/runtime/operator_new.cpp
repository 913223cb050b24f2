// The module's own operator new and delete: every C++ allocation of the
// plug-in, the statically linked standard library's included, is counted by
// the allocation hooks. The module exports none of these, so the core's heap
// and its own operators are untouched.
#include <cstddef>
#include <new>

#include "runtime/allocation_hooks.h"

namespace {

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
  if (size == 0) size = 1;
  for (;;) {
    void* block = alignment > __STDCPP_DEFAULT_NEW_ALIGNMENT__ ? kel::memory::AllocateAligned(size, alignment)
                                                               : kel::memory::Allocate(size);
    if (block) return block;
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

void* AllocateOrNull(std::size_t size, std::size_t alignment) noexcept {
  try {
    return AllocateOrThrow(size, alignment);
  } catch (...) {
    return nullptr;
  }
}

constexpr std::size_t kDefault = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

}  // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size, kDefault); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size, kDefault); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size, kDefault); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size, kDefault); }
void* operator new(std::size_t size, std::align_val_t alignment) {
  return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept { kel::memory::Release(block); }
void operator delete[](void* block) noexcept { kel::memory::Release(block); }
void operator delete(void* block, std::size_t) noexcept { kel::memory::Release(block); }
void operator delete[](void* block, std::size_t) noexcept { kel::memory::Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { kel::memory::Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { kel::memory::Release(block); }
void operator delete(void* block, std::align_val_t) noexcept { kel::memory::Release(block); }
void operator delete[](void* block, std::align_val_t) noexcept { kel::memory::Release(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { kel::memory::Release(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { kel::memory::Release(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { kel::memory::Release(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { kel::memory::Release(block); }
