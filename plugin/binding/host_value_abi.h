// HostValue: the core's interchange value for request bodies and arguments,
// responses and event payloads, and the entry of its map form.
//
// Created and freed by the same side: whoever builds a HostValue owns it and
// releases it (the plug-in through ReleaseHostValue or its arena). Releasing
// frees the owned strings and blobs, the arrays and map entries and the keys
// whose owns_key byte is 1, then zeroes the value; borrowed kinds point at
// memory of whoever built the value and are left alone. A value received from
// the other side is only read, for as long as the record holding it lives.
//
// Packed: fields in this order and width, pointers at native width. Each
// field's comment gives its offset as 32-bit | 64-bit.
#pragma once

#include <cstddef>
#include <cstdint>

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
  const void* pointer;  // 0 | 0
  uint32_t count;       // 4 | 8
};

union HostValuePayload {
  uint8_t boolean;               // 0 | 0: 0 or 1
  int64_t signed_value;          // 0 | 0
  uint64_t unsigned_value;       // 0 | 0
  double float_value;            // 0 | 0
  HostValueReference reference;  // 0 | 0
};

struct HostValue {
  uint32_t kind;             // 0 | 0: HostValueKind
  HostValuePayload payload;  // 4 | 4
};

struct HostValueMapEntry {
  const char* key;   // 0 | 0: NUL-terminated
  HostValue value;   // 4 | 8
  uint8_t owns_key;  // 16 | 24: 1 = the key is freed with the entry
};

#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(HostValueReference) == 8);
static_assert(offsetof(HostValueReference, pointer) == 0);
static_assert(offsetof(HostValueReference, count) == 4);

static_assert(sizeof(HostValuePayload) == 8);

static_assert(sizeof(HostValue) == 12);
static_assert(offsetof(HostValue, kind) == 0);
static_assert(offsetof(HostValue, payload) == 4);

static_assert(sizeof(HostValueMapEntry) == 17);
static_assert(offsetof(HostValueMapEntry, key) == 0);
static_assert(offsetof(HostValueMapEntry, value) == 4);
static_assert(offsetof(HostValueMapEntry, owns_key) == 16);
#else
static_assert(sizeof(HostValueReference) == 12);
static_assert(offsetof(HostValueReference, pointer) == 0);
static_assert(offsetof(HostValueReference, count) == 8);

static_assert(sizeof(HostValuePayload) == 12);

static_assert(sizeof(HostValue) == 16);
static_assert(offsetof(HostValue, kind) == 0);
static_assert(offsetof(HostValue, payload) == 4);

static_assert(sizeof(HostValueMapEntry) == 25);
static_assert(offsetof(HostValueMapEntry, key) == 0);
static_assert(offsetof(HostValueMapEntry, value) == 8);
static_assert(offsetof(HostValueMapEntry, owns_key) == 24);
#endif

}  // namespace kel
