#include "platform/chunk_reserve.h"

#include <sys/mman.h>

#include <mutex>
#include <new>

namespace kel::platform {
namespace {

class ChunkReserve {
 public:
  void* Take() noexcept {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++inUse_;
      if (inUse_ > peakInUse_) peakInUse_ = inUse_;
      if (kept_ != nullptr) {
        KeptChunk* chunk = kept_;
        kept_ = chunk->next;
        --reserved_;
        return chunk;
      }
    }
    void* chunk = mmap(nullptr, kChunkSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (chunk != MAP_FAILED) return chunk;
    std::lock_guard<std::mutex> lock(mutex_);
    --inUse_;
    return nullptr;
  }

  void GiveBack(void* chunk) noexcept {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --inUse_;
      if (keeping_ && reserved_ < peakInUse_ && reserved_ < kMaximumChunkReserve) {
        // The list runs through the kept chunks themselves.
        kept_ = new (chunk) KeptChunk{kept_};
        ++reserved_;
        return;
      }
    }
    munmap(chunk, kChunkSize);
  }

  // From now on every chunk goes back at once: the module is going.
  void StopKeeping() noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    keeping_ = false;
    while (kept_ != nullptr) {
      KeptChunk* next = kept_->next;
      munmap(kept_, kChunkSize);
      kept_ = next;
    }
    reserved_ = 0;
  }

 private:
  struct KeptChunk {
    KeptChunk* next;
  };
  std::mutex mutex_;
  KeptChunk* kept_ = nullptr;
  std::size_t reserved_ = 0;
  std::size_t inUse_ = 0;
  std::size_t peakInUse_ = 0;
  bool keeping_ = true;
};

// Never destroyed, like the page allocator: values held in static objects
// may give chunks back during process exit.
ChunkReserve& Instance() noexcept {
  alignas(ChunkReserve) static unsigned char storage[sizeof(ChunkReserve)];
  static ChunkReserve* instance = new (storage) ChunkReserve();
  return *instance;
}

struct ReserveReleaseAtUnload {
  ~ReserveReleaseAtUnload() { Instance().StopKeeping(); }
} gReserveReleaseAtUnload;

}  // namespace

void* TakeChunk() noexcept { return Instance().Take(); }
void GiveBackChunk(void* chunk) noexcept { Instance().GiveBack(chunk); }

}  // namespace kel::platform
