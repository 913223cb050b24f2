#pragma once
// A LIFO work list for walks over trees of any depth: the first items live
// on the caller's stack, the rest spill to the heap.

#include <cstddef>
#include <vector>

namespace kel {

template <typename T, std::size_t kInline = 32>
class WorkStack {
 public:
  void Push(const T& item) {
    if (inlineCount_ < kInline)
      inline_[inlineCount_++] = item;
    else
      spilled_.push_back(item);
  }
  bool Empty() const noexcept { return inlineCount_ == 0; }
  // Items pushed after the inline part filled up are newer, so they go first.
  T Pop() noexcept {
    if (!spilled_.empty()) {
      T item = spilled_.back();
      spilled_.pop_back();
      return item;
    }
    return inline_[--inlineCount_];
  }

 private:
  T inline_[kInline];
  std::size_t inlineCount_ = 0;
  std::vector<T> spilled_;
};

}  // namespace kel
