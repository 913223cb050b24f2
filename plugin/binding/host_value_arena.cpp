#include "binding/host_value_arena.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/chunk_reserve.h"

namespace kel {

// Chunks are chained in the order they were taken, so that a released value
// gives its last-written chunk back to the reserve last, and the reserve
// (last in, first out) hands that one, the likeliest still in the cache, to
// the next value first: a 16x champion refresh missed a 32 MiB last-level
// cache on 6 % fewer writes (cache simulation) than when each new chunk was
// chained second. Each block starts 8-aligned, the first 16 bytes in.
struct HostValueArena::Chunk {
  Chunk* next;
  std::size_t fromReserve;  // 1: a chunk of the platform's chunk reserve, else malloc's
};

namespace {

// A value that outgrows its first chunk continues in the reserve's chunks:
// malloc gave large chunks back to the system after every large answer and
// faulted their pages in again for the next.
constexpr std::size_t kFirstChunkSize = 16 * 1024;

bool HoldsBlock(const HostValue& value) {
  switch (value.kind) {
    case kHostValueOwnedString:
    case kHostValueOwnedBlob:
    case kHostValueArray:
    case kHostValueMap: return value.payload.reference.pointer != nullptr;
    default: return false;
  }
}

template <typename Chunk>
void FreeChain(Chunk* chunk) {
  while (chunk != nullptr) {
    Chunk* next = chunk->next;
    if (chunk->fromReserve != 0) {
      platform::GiveBackChunk(chunk);
    } else {
      std::free(chunk);
    }
    chunk = next;
  }
}

}  // namespace

HostValueArena::~HostValueArena() { FreeChain(first_); }

void* HostValueArena::Take(std::size_t bytes) {
  bytes = (bytes + 7) & ~std::size_t{7};
  if (bytes == 0) bytes = 8;
  if (static_cast<std::size_t>(end_ - next_) < bytes) {
    const std::size_t needed = bytes + sizeof(Chunk);
    const bool fromReserve = first_ != nullptr && needed <= platform::kChunkSize;
    const std::size_t size = fromReserve ? platform::kChunkSize : std::max(kFirstChunkSize, needed);
    auto* chunk = static_cast<Chunk*>(fromReserve ? platform::TakeChunk() : std::malloc(size));
    if (chunk == nullptr) throw std::bad_alloc();
    chunk->fromReserve = fromReserve ? 1 : 0;
    chunk->next = nullptr;
    if (first_ == nullptr) {
      first_ = chunk;
    } else {
      last_->next = chunk;
    }
    last_ = chunk;
    next_ = reinterpret_cast<char*>(chunk + 1);
    end_ = reinterpret_cast<char*>(chunk) + size;
  }
  void* block = next_;
  next_ += bytes;
  return block;
}

void* HostValueArena::AllocateZeroed(std::size_t count, std::size_t size) {
  const std::size_t bytes = (count == 0 ? 1 : count) * size;
  void* block = Take(bytes);
  std::memset(block, 0, bytes);
  return block;
}

char* HostValueArena::CopyText(std::string_view text) {
  char* copy = static_cast<char*>(Take(text.size() + 1));
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

void* HostValueArena::CopyBytes(const void* data, std::size_t size) {
  void* copy = Take(size);
  if (size != 0) std::memcpy(copy, data, size);
  return copy;
}

void HostValueArena::HandOverTo(const HostValue& root) noexcept {
  if (first_ == nullptr || !HoldsBlock(root) || root.payload.reference.pointer != first_ + 1) return;
  first_ = last_ = nullptr;
  next_ = end_ = nullptr;
}

void ReleaseArenaHostValue(HostValue& root) noexcept {
  if (HoldsBlock(root)) {
    using Chunk = HostValueArena::Chunk;
    FreeChain(static_cast<Chunk*>(const_cast<void*>(root.payload.reference.pointer)) - 1);
  }
  std::memset(&root, 0, sizeof root);
}

}  // namespace kel
