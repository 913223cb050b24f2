#pragma once
// A value that readers share without copying it. Share() hands out an
// immutable view in O(1); Edit() gives write access, copying the value
// first only while a view handed out earlier is still alive. So a view never
// changes under its reader, and a value nobody is reading is edited in place.
//
// Share, Edit and Assign run under the owner's lock, one at a time; views are
// read and dropped on any thread without it. Each view's deleter counts it
// off with a release, which an Edit that finds the count at zero acquires:
// the reader's last read happens before the edit (shared_ptr::use_count, a
// relaxed load, would not promise that).

#include <atomic>
#include <cstddef>
#include <memory>
#include <utility>

namespace kel::champions {

template <typename T>
class SharedSnapshot {
 public:
  SharedSnapshot() : holder_(std::make_shared<Holder>()) {}
  // A copy would share the value and let one side edit the other's.
  SharedSnapshot(const SharedSnapshot&) = delete;
  SharedSnapshot& operator=(const SharedSnapshot&) = delete;

  const T& Get() const { return holder_->value; }

  // The reference lives until the next Share or Assign.
  T& Edit() {
    if (Shared()) holder_ = std::make_shared<Holder>(holder_->value);
    return holder_->value;
  }

  // For a value about to be overwritten whole: the value itself while no
  // view is alive (so its storage is reused), else a fresh default one.
  // The reference lives until the next Share or Assign.
  T& Overwrite() {
    if (Shared()) holder_ = std::make_shared<Holder>();
    return holder_->value;
  }

  void Assign(T value) {
    if (Shared()) {
      holder_ = std::make_shared<Holder>(std::move(value));
    } else {
      holder_->value = std::move(value);
    }
  }

  // The value as it is now, kept alive (and unchanged) until the view is
  // dropped, even after the owner has moved on to a copy.
  std::shared_ptr<const T> Share() const {
    holder_->views.fetch_add(1, std::memory_order_relaxed);
    return std::shared_ptr<const T>(&holder_->value, Release{holder_});
  }

 private:
  struct Holder {
    Holder() = default;
    explicit Holder(T initial) : value(std::move(initial)) {}
    T value;
    std::atomic<std::size_t> views{0};
  };
  struct Release {
    std::shared_ptr<Holder> holder;
    void operator()(const T*) const { holder->views.fetch_sub(1, std::memory_order_release); }
  };

  bool Shared() const { return holder_->views.load(std::memory_order_acquire) != 0; }

  std::shared_ptr<Holder> holder_;
};

}  // namespace kel::champions
