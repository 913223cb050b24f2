// Log groups: each bit of a 64-bit mask is a group with a three-character
// code. Bits 0-7 are predefined; more are registered at run time.
#pragma once

#include <cstdint>
#include <string>

namespace kel::log {

inline constexpr uint64_t kGroupDbg = 1;
inline constexpr uint64_t kGroupGen = 2;
inline constexpr uint64_t kGroupXtr = 4;
inline constexpr uint64_t kGroupPrf = 8;
inline constexpr uint64_t kGroupMem = 16;
inline constexpr uint64_t kGroupDsk = 32;
inline constexpr uint64_t kGroupNet = 64;
inline constexpr uint64_t kGroupTst = 128;

// The mask of a group code (its first three characters): the existing bit
// for a known code, the next free bit for a new one, and 0 for an empty
// code or once all 64 bits are taken.
uint64_t RegisterGroup(const char* code);

// The codes of the set bits, lowest first, joined by ";"; bits without a
// code are skipped.
std::string GroupsToText(uint64_t groups);

}  // namespace kel::log
