#include "platform/page_allocator.h"

#include <sys/mman.h>

#include <map>
#include <mutex>
#include <new>
#include <set>

namespace kel::platform {
namespace {

constexpr std::uint16_t kAllPagesFree = 0xFFFF;
static_assert(kPagesPerRegion == 16, "the free mask below has one bit per page");

// Regions are aligned to their own size so that the region of a page is found
// by masking its address.
class PageAllocator {
 public:
  void* Allocate() noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    if (withFreePages_.empty()) {
      std::uintptr_t region = ReserveRegion();
      if (region == 0) return nullptr;
      freeMasks_[region] = kAllPagesFree;
      withFreePages_.insert(region);
    }
    std::uintptr_t region = *withFreePages_.begin();
    std::uint16_t& mask = freeMasks_[region];
    unsigned index = static_cast<unsigned>(__builtin_ctz(mask));
    mask = static_cast<std::uint16_t>(mask & ~(1u << index));
    if (mask == 0) withFreePages_.erase(region);
    ++pages_;
    return reinterpret_cast<void*>(region + index * kPageSize);
  }

  void Free(void* page) noexcept {
    if (page == nullptr) return;
    std::uintptr_t address = reinterpret_cast<std::uintptr_t>(page);
    std::uintptr_t region = address & ~(kRegionSize - 1);
    unsigned index = static_cast<unsigned>((address - region) / kPageSize);
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = freeMasks_.find(region);
    if (found == freeMasks_.end()) return;
    found->second = static_cast<std::uint16_t>(found->second | (1u << index));
    --pages_;
    if (found->second == kAllPagesFree) {
      withFreePages_.erase(region);
      freeMasks_.erase(found);
      munmap(reinterpret_cast<void*>(region), kRegionSize);
    } else {
      withFreePages_.insert(region);
    }
  }

  PageAllocatorStats Stats() noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    return {freeMasks_.size(), pages_};
  }

 private:
  // Reserves twice the region size, trims the ends so that what stays is
  // aligned to the region size, then commits the region read-write with its
  // pages populated at once (one trip into the kernel instead of a fault per
  // page).
  static std::uintptr_t ReserveRegion() noexcept {
    void* reserved = mmap(nullptr, 2 * kRegionSize, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (reserved == MAP_FAILED) return 0;
    std::uintptr_t start = reinterpret_cast<std::uintptr_t>(reserved);
    std::uintptr_t aligned = (start + kRegionSize - 1) & ~(kRegionSize - 1);
    std::size_t head = aligned - start;
    if (head != 0) munmap(reserved, head);
    std::size_t tail = kRegionSize - head;
    if (tail != 0) munmap(reinterpret_cast<void*>(aligned + kRegionSize), tail);
    void* committed = mmap(reinterpret_cast<void*>(aligned), kRegionSize, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED | MAP_POPULATE, -1, 0);
    if (committed == MAP_FAILED) {
      munmap(reinterpret_cast<void*>(aligned), kRegionSize);
      return 0;
    }
    return aligned;
  }

  std::mutex mutex_;
  std::map<std::uintptr_t, std::uint16_t> freeMasks_;  // region -> one bit per free page
  std::set<std::uintptr_t> withFreePages_;
  std::size_t pages_ = 0;
};

// Never destroyed: trees held in static objects may give pages back during
// process exit, after ordinary statics are gone. It lives in the module's own
// storage rather than on the heap, so unloading the module leaves nothing
// behind once every page has been given back.
PageAllocator& Instance() noexcept {
  alignas(PageAllocator) static unsigned char storage[sizeof(PageAllocator)];
  static PageAllocator* instance = new (storage) PageAllocator();
  return *instance;
}

}  // namespace

void* AllocatePage() noexcept { return Instance().Allocate(); }
void FreePage(void* page) noexcept { Instance().Free(page); }
PageAllocatorStats GetPageAllocatorStats() noexcept { return Instance().Stats(); }

}  // namespace kel::platform
