#include "binding/small_object_allocator.h"

#include <cstring>
#include <new>

#include "platform/page_allocator.h"

namespace kel {

static_assert(SmallObjectAllocator::kInlineMaxBlockSize == 72 && SmallObjectAllocator::kMaxBlockSize == 256);

SmallObjectAllocator::SmallObjectAllocator() noexcept {
  for (SizeClass& sizeClass : classes_) sizeClass.lists = {nullptr, nullptr};
}

// A class's inline page is readied by its first allocation: a tree that
// holds one short text (a request's path argument) then readies one page,
// not eighteen (about 560 instructions per allocator).
void SmallObjectAllocator::ReadyInlinePage(std::size_t index) noexcept {
  inlineReady_ |= std::uint32_t{1} << index;
  PageHeader* page = reinterpret_cast<PageHeader*>(classes_[index].inlinePage);
  InitPage(page, kInlinePageSize, BlockSizeOf(index));
  page->directorySlot = nullptr;
  PageLists& lists = classes_[index].lists;
  Link(HasFreeBlock(page, BlockSizeOf(index)) ? lists.withFree : lists.full, page);
}

// Blocks still handed out go with their pages: a tree that is discarded
// whole does not free its nodes one by one.
SmallObjectAllocator::~SmallObjectAllocator() {
  while (directory_ != nullptr) {
    PageDirectory* next = directory_->next;
    for (std::size_t i = 0; i < directory_->count; ++i) platform::FreePage(directory_->Pages()[i]);
    platform::FreePage(directory_);
    directory_ = next;
  }
}

static_assert(platform::kPageSize == 4096);

// The directory page being filled is the first; a page leaving takes the
// place of the last page listed, so only the first directory page ever has
// room and it goes when it empties.
SmallObjectAllocator::PageHeader* SmallObjectAllocator::TakePage() noexcept {
  PageDirectory* directory = directory_;
  if (directory == nullptr || directory->count == kDirectoryCapacity) {
    directory = static_cast<PageDirectory*>(platform::AllocatePage());
    if (directory == nullptr) return nullptr;
    directory->next = directory_;
    directory->count = 0;
  }
  PageHeader* page = static_cast<PageHeader*>(platform::AllocatePage());
  if (page == nullptr) {
    if (directory != directory_) platform::FreePage(directory);
    return nullptr;
  }
  directory_ = directory;
  page->directorySlot = &directory->Pages()[directory->count++];
  *page->directorySlot = page;
  ++heldPages_;
  return page;
}

void SmallObjectAllocator::ReturnPage(PageHeader* page) noexcept {
  PageDirectory* directory = directory_;
  PageHeader* last = directory->Pages()[--directory->count];
  if (last != page) {
    *page->directorySlot = last;
    last->directorySlot = page->directorySlot;
  }
  if (directory->count == 0) {
    directory_ = directory->next;
    platform::FreePage(directory);
  }
  platform::FreePage(page);
  --heldPages_;
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
  if (page->previous != nullptr)
    page->previous->next = page->next;
  else
    list = page->next;
  if (page->next != nullptr) page->next->previous = page->previous;
  page->previous = page->next = nullptr;
}

// Reuses freed blocks first, takes new pages, and moves pages that fill up
// to the full list.
void* SmallObjectAllocator::AllocateSlow(std::size_t index, std::size_t blockSize) {
  if (index < kClassCount && (inlineReady_ & (std::uint32_t{1} << index)) == 0) ReadyInlinePage(index);
  PageLists& sizeClass = ListsOf(index);
  PageHeader* page = sizeClass.withFree;
  if (page == nullptr) {
    page = TakePage();
    if (page == nullptr) throw std::bad_alloc();
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
  PageHeader* page = isInline ? reinterpret_cast<PageHeader*>(inlinePage)
                              : reinterpret_cast<PageHeader*>(reinterpret_cast<std::uintptr_t>(block) &
                                                              ~std::uintptr_t{platform::kPageSize - 1});
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
    ReturnPage(page);
  }
}

}  // namespace kel
