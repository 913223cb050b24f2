#pragma once
// Process-wide source of the 1 MiB chunks that large HostValue arenas (route
// answers, event payloads) are built in. A chunk comes from the system with
// its pages populated in one trip into the kernel; one given back is kept in
// a reserve for the next value, as many as were ever in use at once and at
// most kMaximumChunkReserve (256 MiB), and beyond that goes back to the system
// at once. The reserve goes back when the module unloads. One mutex, a leaf.

#include <cstddef>

namespace kel::platform {

inline constexpr std::size_t kChunkSize = 1024 * 1024;
inline constexpr std::size_t kMaximumChunkReserve = 256;

// A chunk of kChunkSize bytes aligned to the page size (contents
// unspecified), or null when the system refuses memory. Any thread.
void* TakeChunk() noexcept;

// Takes back a chunk returned by TakeChunk. Any thread.
void GiveBackChunk(void* chunk) noexcept;

}  // namespace kel::platform
