#pragma once
// Per-tree pool for the small fixed-size nodes of binding values (string
// entries, blob holders, enum pairs, collection and structure heads, tree
// nodes, long texts, short element arrays). Eighteen size classes of 4..72
// bytes, each starting with a 144-byte page inside the allocator itself, so
// small trees never touch the process-wide page allocator; twelve more of
// 80..256 bytes in steps of 16 without one. All take 4096-byte pages from the
// page allocator.
//
// Not synchronised: one tree, one thread at a time.

#include <cstddef>
#include <cstdint>

namespace kel {

class SmallObjectAllocator {
 public:
  static constexpr std::size_t kGranule = 4;
  static constexpr std::size_t kClassCount = 18;                              // with an inline page
  static constexpr std::size_t kInlineMaxBlockSize = kGranule * kClassCount;  // 72
  static constexpr std::size_t kFirstLargeBlockSize = 80;
  static constexpr std::size_t kLargeGranule = 16;
  static constexpr std::size_t kLargeClassCount = 12;
  static constexpr std::size_t kMaxBlockSize = kFirstLargeBlockSize + kLargeGranule * (kLargeClassCount - 1);  // 256
  static constexpr std::size_t kInlinePageSize = 144;

  SmallObjectAllocator() noexcept;
  // Returns every page still held, with whatever blocks are in it.
  ~SmallObjectAllocator();
  SmallObjectAllocator(const SmallObjectAllocator&) = delete;
  SmallObjectAllocator& operator=(const SmallObjectAllocator&) = delete;

  // size: 1..kMaxBlockSize. Throws std::bad_alloc when no page can be had.
  // Inline for the common case, a page of the class with never-used room
  // that stays open after this block (with a constant size, as for tree
  // nodes, the class is found at compile time): a bump of its offset.
  void* Allocate(std::size_t size) {
    const std::size_t index = ClassOf(size);
    const std::size_t blockSize = BlockSizeOf(index);
    PageHeader* page = ListsOf(index).withFree;
    if (page != nullptr && page->freeHead == 0 && page->fresh + 2 * blockSize <= page->pageSize) [[likely]] {
      void* block = reinterpret_cast<unsigned char*>(page) + page->fresh;
      page->fresh = static_cast<std::uint16_t>(page->fresh + blockSize);
      ++page->used;
      return block;
    }
    return AllocateSlow(index, blockSize);
  }
  // size: the size given to Allocate for this block.
  void Free(void* block, std::size_t size) noexcept;

  // Pages of blocks taken from the page allocator and still held, not
  // counting the directory's own (for tests).
  std::size_t HeldPages() const noexcept { return heldPages_; }

 private:
  // Start of every page. Free blocks hold the 16-bit offset of the next free
  // block (0 ends the list); blocks past `fresh` have never been handed out.
  struct PageHeader {
    PageHeader* previous;  // neighbours in the list of pages with free blocks, or of full pages
    PageHeader* next;
    PageHeader** directorySlot;  // where the directory holds this page; null for inline pages
    std::uint16_t pageSize;
    std::uint16_t used;
    std::uint16_t freeHead;
    std::uint16_t fresh;
  };

  // Every page taken from the page allocator, listed in pages of its own,
  // so that the destructor returns them without reading each page's header
  // (a cache and TLB miss per page, 6 % of decoding a large document).
  // The page's list of pages follows the header.
  struct PageDirectory {
    PageDirectory* next;  // the fuller directory pages
    std::size_t count;
    PageHeader** Pages() noexcept { return reinterpret_cast<PageHeader**>(this + 1); }
  };
  static constexpr std::size_t kDirectoryCapacity = (4096 - sizeof(PageDirectory)) / sizeof(PageHeader*);

  struct PageLists {
    PageHeader* withFree;
    PageHeader* full;
  };
  struct SizeClass {
    PageLists lists;
    alignas(16) unsigned char inlinePage[kInlinePageSize];
  };

  // Classes 0..kClassCount-1 have inline pages, the large ones follow.
  static std::size_t ClassOf(std::size_t size) noexcept {
    if (size <= kInlineMaxBlockSize) return (size + kGranule - 1) / kGranule - 1;
    if (size <= kFirstLargeBlockSize) return kClassCount;
    return kClassCount + (size - kFirstLargeBlockSize + kLargeGranule - 1) / kLargeGranule;
  }
  static std::size_t BlockSizeOf(std::size_t index) noexcept {
    return index < kClassCount ? (index + 1) * kGranule : kFirstLargeBlockSize + (index - kClassCount) * kLargeGranule;
  }
  PageLists& ListsOf(std::size_t index) noexcept {
    return index < kClassCount ? classes_[index].lists : large_[index - kClassCount];
  }
  void* AllocateSlow(std::size_t index, std::size_t blockSize);
  void ReadyInlinePage(std::size_t index) noexcept;
  // A page from the page allocator, listed in the directory; null when
  // memory is out.
  PageHeader* TakePage() noexcept;
  void ReturnPage(PageHeader* page) noexcept;
  static std::size_t FirstBlockOffset(std::size_t blockSize) noexcept;
  static bool HasFreeBlock(const PageHeader* page, std::size_t blockSize) noexcept;
  static void InitPage(PageHeader* page, std::size_t pageSize, std::size_t blockSize) noexcept;
  static void Link(PageHeader*& list, PageHeader* page) noexcept;
  static void Unlink(PageHeader*& list, PageHeader* page) noexcept;

  SizeClass classes_[kClassCount];
  std::uint32_t inlineReady_ = 0;  // bit i: class i's inline page is readied and listed
  static_assert(kClassCount <= 32);
  PageLists large_[kLargeClassCount] = {};
  PageDirectory* directory_ = nullptr;  // the one being filled first
  std::size_t heldPages_ = 0;
};

}  // namespace kel
