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
      std::uintptr_t region = TakeEmptyRegion();
      if (region == 0) return nullptr;
      freeMasks_[region] = kAllPagesFree;
      withFreePages_.insert(region);
      if (freeMasks_.size() > peakInUse_) peakInUse_ = freeMasks_.size();
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
      KeepOrRelease(region);
    } else {
      withFreePages_.insert(region);
    }
  }

  void ReleaseReserve() noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    while (reserve_ != nullptr) {
      EmptyRegion* next = reserve_->next;
      munmap(reserve_, kRegionSize);
      reserve_ = next;
    }
    reserved_ = 0;
  }

  // From now on every empty region goes back at once: the module is going,
  // and a region kept after its storage is gone would never be released.
  void StopKeeping() noexcept {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      keeping_ = false;
    }
    ReleaseReserve();
  }

  PageAllocatorStats Stats() noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    return {freeMasks_.size() + reserved_, reserved_, ReserveBound(), pages_};
  }

 private:
  // As many as were ever in use at once, between the two bounds: a tree as
  // large as the largest so far, built again after the last one went, maps
  // nothing, while an idle process keeps at most what it once needed and
  // never more than kMaximumReserve regions.
  std::size_t ReserveBound() const noexcept {
    if (!keeping_) return 0;
    if (peakInUse_ < kMinimumReserve) return kMinimumReserve;
    return peakInUse_ < kMaximumReserve ? peakInUse_ : kMaximumReserve;
  }

  std::uintptr_t TakeEmptyRegion() noexcept {
    if (reserve_ == nullptr) return ReserveRegion();
    EmptyRegion* region = reserve_;
    reserve_ = region->next;
    --reserved_;
    return reinterpret_cast<std::uintptr_t>(region);
  }

  // The reserve's list runs through the empty regions themselves, so keeping
  // one allocates nothing and cannot fail.
  void KeepOrRelease(std::uintptr_t region) noexcept {
    if (reserved_ < ReserveBound()) {
      EmptyRegion* kept = reinterpret_cast<EmptyRegion*>(region);
      kept->next = reserve_;
      reserve_ = kept;
      ++reserved_;
      return;
    }
    munmap(reinterpret_cast<void*>(region), kRegionSize);
  }

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
  struct EmptyRegion {
    EmptyRegion* next;
  };
  EmptyRegion* reserve_ = nullptr;  // empty regions kept for reuse
  std::size_t reserved_ = 0;
  std::size_t peakInUse_ = 0;  // most regions with pages handed out at once
  std::size_t pages_ = 0;
  bool keeping_ = true;
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

// Destroyed when the module unloads (or the process exits): the reserve goes
// back to the system then. Trees released after this still give their
// regions back, one by one as they empty.
struct ReserveReleaseAtUnload {
  ~ReserveReleaseAtUnload() { Instance().StopKeeping(); }
} gReserveReleaseAtUnload;

}  // namespace

void* AllocatePage() noexcept { return Instance().Allocate(); }
void FreePage(void* page) noexcept { Instance().Free(page); }
void ReleasePageReserve() noexcept { Instance().ReleaseReserve(); }
PageAllocatorStats GetPageAllocatorStats() noexcept { return Instance().Stats(); }

}  // namespace kel::platform
