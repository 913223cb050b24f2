#pragma once
// HostValue: the core's interchange value for request bodies, responses,
// parameters and event payloads, and the entry of its map form. Packed
// records at fixed offsets (32-bit offsets given; pointers are native width).
//
// Ownership: a HostValue built by the plug-in owns its owned strings and
// blobs, its arrays and map entries (and the keys whose owns-key byte is 1);
// ReleaseHostValue frees them. Borrowed kinds point at memory owned by
// whoever built the value.

#include <stdint.h>

namespace kel {

enum HostValueKind : uint32_t {
  kHostValueNull = 0,
  kHostValueBool = 1,
  kHostValueSigned = 2,
  kHostValueUnsigned = 3,
  kHostValueFloat = 4,
  kHostValueBorrowedString = 5,  // NUL-terminated text, not freed
  kHostValueOwnedString = 6,     // NUL-terminated copy, freed on release
  kHostValueBorrowedBlob = 7,
  kHostValueOwnedBlob = 8,
  kHostValueArray = 9,  // `count` consecutive HostValues, owned
  kHostValueMap = 10,   // `count` consecutive HostValueMapEntry records, owned
};

#pragma pack(push, 1)

// Pointer with a 32-bit length: strings (length without the terminator),
// blobs (bytes), arrays and maps (elements).
struct HostValueReference {
  const void* pointer;  // 0
  uint32_t count;       // 4
};

union HostValuePayload {
  uint8_t boolean;                 // 0: 0 or 1
  int64_t signedValue;             // 0
  uint64_t unsignedValue;          // 0
  double floatValue;               // 0
  HostValueReference reference;    // 0
};

struct HostValue {
  uint32_t kind;             // 0: HostValueKind
  HostValuePayload payload;  // 4
};

struct HostValueMapEntry {
  const char* key;   // 0: NUL-terminated
  HostValue value;   // 4
  uint8_t ownsKey;   // 16: 1 = the key is freed with the entry
};

#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(HostValuePayload) == 8, "HostValue payload is 8 bytes");
static_assert(sizeof(HostValue) == 12, "HostValue is 12 bytes");
static_assert(__builtin_offsetof(HostValue, payload) == 4, "HostValue payload at 4");
static_assert(__builtin_offsetof(HostValueReference, count) == 4, "length at offset 8 of the HostValue");
static_assert(sizeof(HostValueMapEntry) == 17, "map entry is 17 bytes");
static_assert(__builtin_offsetof(HostValueMapEntry, value) == 4, "map entry value at 4");
static_assert(__builtin_offsetof(HostValueMapEntry, ownsKey) == 16, "map entry owns-key byte at 16");
#else
static_assert(sizeof(HostValue) == 16, "HostValue is 16 bytes in the 64-bit build");
static_assert(sizeof(HostValueMapEntry) == 25, "map entry is 25 bytes in the 64-bit build");
#endif

}  // namespace kel
