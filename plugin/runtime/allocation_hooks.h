// The plug-in's own allocator: thin wrappers over the C allocator that count
// every block by its usable size, so that the core can ask how much memory
// the plug-in holds. operator new and delete of the module go through here.
//
// Blocks are plain C-allocator blocks, so a block from the standard
// library's own code may be released here and the reverse; such a block is
// simply counted on one side only.
#pragma once

#include <cstddef>

#include "runtime/host_abi.h"

namespace kel::memory {

// nullptr when the C allocator fails.
void* Allocate(size_t size);
void* AllocateAligned(size_t size, size_t alignment);
// Counts as a release of the old block and an allocation of the new one.
void* Reallocate(void* block, size_t size);
char* DuplicateString(const char* text);
void Release(void* block);

// Reads the six counters one by one (each atomically) and fills all
// fourteen words.
void ReadMemoryStats(MemoryStats& stats);

}  // namespace kel::memory
