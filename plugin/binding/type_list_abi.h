#pragma once
// The packed type, field, enumerator and event records of the API
// description handed to the core at load. Each list is one array whose
// records link to the next one of the same array (null in the last). Every
// text is NUL-terminated and owned, with the arrays, by the plug-in's
// BindingDescriptionLists for as long as the description lives; the core
// only reads them, on any of its threads. Offsets are those of the 32-bit
// build; pointers are native width.

#include <stdint.h>

namespace kel {

#pragma pack(push, 1)

struct BindingFieldRecord {
  const BindingFieldRecord* next;  // 0
  const char* name;                // 4
  const char* description;         // 8
  uint32_t offset;                 // 12: byte offset in the native struct
  int32_t type;                    // 16: BindingType (the declared type's when given)
  int32_t elementType;             // 20: BindingType of vector and map elements
  const char* typeName;            // 24: registered struct, enum or element type name for
                                   //     vector, enum, struct and map; else ""
  uint8_t optional;                // 28
};

struct BindingEnumeratorRecord {
  const BindingEnumeratorRecord* next;  // 0
  const char* name;                     // 4
  const char* description;              // 8
  int32_t value;                        // 12
};

struct BindingTypeRecord {
  const BindingTypeRecord* next;               // 0
  const char* name;                            // 4
  const char* nameSpace;                       // 8
  uint32_t size;                               // 12: native size in bytes
  const char* description;                     // 16
  const char* const* tags;                     // 20
  uint32_t tagCount;                           // 24
  const BindingFieldRecord* fields;            // 28: a struct with fields; else null
  const BindingEnumeratorRecord* enumerators;  // 32: a type without fields; else null
  uint32_t memberCount;                        // 36: fields or enumerators
};

struct BindingEventRecord {
  const BindingEventRecord* next;  // 0
  const char* name;                // 4
  const char* nameSpace;           // 8
  const char* payloadTypeName;     // 12
  const char* description;         // 16
  const char* const* tags;         // 20
  uint32_t tagCount;               // 24
};

#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(BindingFieldRecord) == 29);
static_assert(__builtin_offsetof(BindingFieldRecord, offset) == 12);
static_assert(__builtin_offsetof(BindingFieldRecord, type) == 16);
static_assert(__builtin_offsetof(BindingFieldRecord, elementType) == 20);
static_assert(__builtin_offsetof(BindingFieldRecord, typeName) == 24);
static_assert(__builtin_offsetof(BindingFieldRecord, optional) == 28);
static_assert(sizeof(BindingEnumeratorRecord) == 16);
static_assert(__builtin_offsetof(BindingEnumeratorRecord, value) == 12);
static_assert(sizeof(BindingTypeRecord) == 40);
static_assert(__builtin_offsetof(BindingTypeRecord, size) == 12);
static_assert(__builtin_offsetof(BindingTypeRecord, description) == 16);
static_assert(__builtin_offsetof(BindingTypeRecord, tags) == 20);
static_assert(__builtin_offsetof(BindingTypeRecord, tagCount) == 24);
static_assert(__builtin_offsetof(BindingTypeRecord, fields) == 28);
static_assert(__builtin_offsetof(BindingTypeRecord, enumerators) == 32);
static_assert(__builtin_offsetof(BindingTypeRecord, memberCount) == 36);
static_assert(sizeof(BindingEventRecord) == 28);
static_assert(__builtin_offsetof(BindingEventRecord, payloadTypeName) == 12);
static_assert(__builtin_offsetof(BindingEventRecord, description) == 16);
static_assert(__builtin_offsetof(BindingEventRecord, tags) == 20);
static_assert(__builtin_offsetof(BindingEventRecord, tagCount) == 24);
#else
static_assert(sizeof(BindingFieldRecord) == 45);
static_assert(sizeof(BindingEnumeratorRecord) == 28);
static_assert(sizeof(BindingTypeRecord) == 68);
static_assert(sizeof(BindingEventRecord) == 52);
#endif

}  // namespace kel
