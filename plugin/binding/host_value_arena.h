#pragma once
// The memory of one HostValue tree that the plug-in hands out and takes back
// whole (a response or an event payload): its strings, arrays and map
// entries come from a few large chunks, and releasing the tree frees the
// chunks without visiting a node. The first block handed out is the root's,
// which is how ReleaseArenaHostValue finds the chunks again from the root.

#include <cstddef>
#include <string_view>

#include "binding/host_value_abi.h"

namespace kel {

// Where a HostValue being built gets its memory. Every block is zeroed.
class HostValueStorage {
 public:
  virtual void* AllocateZeroed(std::size_t count, std::size_t size) = 0;
  virtual char* CopyText(std::string_view text) = 0;  // NUL-terminated
  virtual void* CopyBytes(const void* data, std::size_t size) = 0;

 protected:
  ~HostValueStorage() = default;
};

// Frees a HostValue whose memory an arena handed over to it, and zeroes it.
void ReleaseArenaHostValue(HostValue& root) noexcept;

class HostValueArena final : public HostValueStorage {
 public:
  HostValueArena() = default;
  ~HostValueArena();  // frees what was not handed over
  HostValueArena(const HostValueArena&) = delete;
  HostValueArena& operator=(const HostValueArena&) = delete;

  void* AllocateZeroed(std::size_t count, std::size_t size) override;
  char* CopyText(std::string_view text) override;
  void* CopyBytes(const void* data, std::size_t size) override;

  // `root` now owns the chunks when its block is the first one handed out;
  // otherwise (a scalar root, or a root nulled by a failure) the arena keeps
  // them and frees them itself.
  void HandOverTo(const HostValue& root) noexcept;

 private:
  void* Take(std::size_t bytes);

  friend void ReleaseArenaHostValue(HostValue& root) noexcept;
  struct Chunk;
  Chunk* first_ = nullptr;
  Chunk* last_ = nullptr;
  char* next_ = nullptr;
  char* end_ = nullptr;
};

}  // namespace kel
