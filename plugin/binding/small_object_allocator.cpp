#include "binding/small_object_allocator.h"

#include <cstring>
#include <initializer_list>
#include <new>

#include "platform/page_allocator.h"

namespace kel {

static_assert(SmallObjectAllocator::kInlineMaxBlockSize == 72 && SmallObjectAllocator::kMaxBlockSize == 256);

SmallObjectAllocator::SmallObjectAllocator() noexcept {
  for (std::size_t i = 0; i < kClassCount; ++i) {
    SizeClass& sizeClass = classes_[i];
    sizeClass.lists = {nullptr, nullptr};
    PageHeader* page = reinterpret_cast<PageHeader*>(sizeClass.inlinePage);
    InitPage(page, kInlinePageSize, BlockSizeOf(i));
    Link(HasFreeBlock(page, BlockSizeOf(i)) ? sizeClass.lists.withFree : sizeClass.lists.full, page);
  }
}

// Blocks still handed out go with their pages: a tree that is discarded
// whole does not free its nodes one by one.
SmallObjectAllocator::~SmallObjectAllocator() {
  for (std::size_t i = 0; i < kClassCount + kLargeClassCount; ++i) {
    const unsigned char* inlinePage = i < kClassCount ? classes_[i].inlinePage : nullptr;
    for (PageHeader* list : {ListsOf(i).withFree, ListsOf(i).full}) {
      while (list != nullptr) {
        PageHeader* next = list->next;
        if (reinterpret_cast<unsigned char*>(list) != inlinePage) platform::FreePage(list);
        list = next;
      }
    }
  }
}

std::size_t SmallObjectAllocator::FirstBlockOffset(std::size_t blockSize) noexcept {
  return (sizeof(PageHeader) + blockSize - 1) / blockSize * blockSize;
}

bool SmallObjectAllocator::HasFreeBlock(const PageHeader* page, std::size_t blockSize) noexcept {
  return page->freeHead != 0 || page->fresh + blockSize <= page->pageSize;
}

void SmallObjectAllocator::InitPage(PageHeader* page, std::size_t pageSize, std::size_t blockSize) noexcept {
  page->previous = nullptr;
  page->next = nullptr;
  page->pageSize = static_cast<std::uint16_t>(pageSize);
  page->used = 0;
  page->freeHead = 0;
  page->fresh = static_cast<std::uint16_t>(FirstBlockOffset(blockSize));
}

void SmallObjectAllocator::Link(PageHeader*& list, PageHeader* page) noexcept {
  page->previous = nullptr;
  page->next = list;
  if (page->next != nullptr) page->next->previous = page;
  list = page;
}

void SmallObjectAllocator::Unlink(PageHeader*& list, PageHeader* page) noexcept {
  if (page->previous != nullptr) page->previous->next = page->next;
  else list = page->next;
  if (page->next != nullptr) page->next->previous = page->previous;
  page->previous = page->next = nullptr;
}

void* SmallObjectAllocator::Allocate(std::size_t size) {
  std::size_t index = ClassOf(size);
  std::size_t blockSize = BlockSizeOf(index);
  PageLists& sizeClass = ListsOf(index);
  PageHeader* page = sizeClass.withFree;
  if (page == nullptr) {
    page = static_cast<PageHeader*>(platform::AllocatePage());
    if (page == nullptr) throw std::bad_alloc();
    ++heldPages_;
    InitPage(page, platform::kPageSize, blockSize);
    Link(sizeClass.withFree, page);
  }
  unsigned char* base = reinterpret_cast<unsigned char*>(page);
  unsigned char* block;
  if (page->freeHead != 0) {
    block = base + page->freeHead;
    std::memcpy(&page->freeHead, block, sizeof(page->freeHead));
  } else {
    block = base + page->fresh;
    page->fresh = static_cast<std::uint16_t>(page->fresh + blockSize);
  }
  ++page->used;
  if (!HasFreeBlock(page, blockSize)) {
    Unlink(sizeClass.withFree, page);
    Link(sizeClass.full, page);
  }
  return block;
}

void SmallObjectAllocator::Free(void* block, std::size_t size) noexcept {
  std::size_t index = ClassOf(size);
  std::size_t blockSize = BlockSizeOf(index);
  PageLists& sizeClass = ListsOf(index);
  unsigned char* address = static_cast<unsigned char*>(block);
  unsigned char* inlinePage = index < kClassCount ? classes_[index].inlinePage : nullptr;
  bool isInline = inlinePage != nullptr && address >= inlinePage && address < inlinePage + kInlinePageSize;
  PageHeader* page = isInline
      ? reinterpret_cast<PageHeader*>(inlinePage)
      : reinterpret_cast<PageHeader*>(reinterpret_cast<std::uintptr_t>(block) & ~std::uintptr_t{platform::kPageSize - 1});
  bool wasFull = !HasFreeBlock(page, blockSize);
  std::memcpy(block, &page->freeHead, sizeof(page->freeHead));
  page->freeHead = static_cast<std::uint16_t>(address - reinterpret_cast<unsigned char*>(page));
  --page->used;
  if (wasFull) {
    Unlink(sizeClass.full, page);
    Link(sizeClass.withFree, page);
  }
  if (page->used == 0 && !isInline) {
    Unlink(sizeClass.withFree, page);
    platform::FreePage(page);
    --heldPages_;
  }
}

}  // namespace kel
