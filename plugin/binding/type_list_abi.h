// The type and event lists of the API description: packed type, field,
// enumerator and event records handed to the core at load (through
// ApiDescription, api/api_description_abi.h).
//
// Created once by the plug-in at the end of the entry sequence and freed with
// the plug-in object: every record, array and NUL-terminated text here is
// owned by the plug-in's BindingDescriptionLists and stays valid and unchanged
// until Shutdown returns. The core only reads them, on any of its threads.
// Each list is one array whose records also link to the next one of the same
// array (null in the last).
//
// Packed: fields in this order and width, pointers at native width. Each
// field's comment gives its offset as 32-bit | 64-bit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kel {

#pragma pack(push, 1)

// One per field of a struct, in field registration order.
struct BindingFieldRecord {
  const BindingFieldRecord* next;  // 0 | 0
  const char* name;                // 4 | 8
  const char* description;         // 8 | 16
  uint32_t offset;                 // 12 | 24: byte offset in the native struct
  int32_t type;                    // 16 | 28: BindingType (the declared type's when given)
  int32_t element_type;            // 20 | 32: BindingType of vector and map elements
  const char* type_name;           // 24 | 36: registered struct, enum or element type name for
                                   //     vector, enum, struct and map; else ""
  uint8_t optional;                // 28 | 44
};

// One per enumerator of an enum, in byte order of the names.
struct BindingEnumeratorRecord {
  const BindingEnumeratorRecord* next;  // 0 | 0
  const char* name;                     // 4 | 8
  const char* description;              // 8 | 16
  int32_t value;                        // 12 | 24
};

// One per registered struct or enum.
struct BindingTypeRecord {
  const BindingTypeRecord* next;               // 0 | 0
  const char* name;                            // 4 | 8
  const char* name_space;                      // 8 | 16
  uint32_t size;                               // 12 | 24: native size in bytes
  const char* description;                     // 16 | 28
  const char* const* tags;                     // 20 | 36
  uint32_t tag_count;                          // 24 | 44
  const BindingFieldRecord* fields;            // 28 | 48: a struct with fields; else null
  const BindingEnumeratorRecord* enumerators;  // 32 | 56: a type without fields; else null
  uint32_t member_count;                       // 36 | 64: fields or enumerators
};

// One per registered event.
struct BindingEventRecord {
  const BindingEventRecord* next;  // 0 | 0
  const char* name;                // 4 | 8
  const char* name_space;          // 8 | 16
  const char* payload_type_name;   // 12 | 24
  const char* description;         // 16 | 32
  const char* const* tags;         // 20 | 40
  uint32_t tag_count;              // 24 | 48
};

#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(BindingFieldRecord) == 29);
static_assert(offsetof(BindingFieldRecord, next) == 0);
static_assert(offsetof(BindingFieldRecord, name) == 4);
static_assert(offsetof(BindingFieldRecord, description) == 8);
static_assert(offsetof(BindingFieldRecord, offset) == 12);
static_assert(offsetof(BindingFieldRecord, type) == 16);
static_assert(offsetof(BindingFieldRecord, element_type) == 20);
static_assert(offsetof(BindingFieldRecord, type_name) == 24);
static_assert(offsetof(BindingFieldRecord, optional) == 28);

static_assert(sizeof(BindingEnumeratorRecord) == 16);
static_assert(offsetof(BindingEnumeratorRecord, next) == 0);
static_assert(offsetof(BindingEnumeratorRecord, name) == 4);
static_assert(offsetof(BindingEnumeratorRecord, description) == 8);
static_assert(offsetof(BindingEnumeratorRecord, value) == 12);

static_assert(sizeof(BindingTypeRecord) == 40);
static_assert(offsetof(BindingTypeRecord, next) == 0);
static_assert(offsetof(BindingTypeRecord, name) == 4);
static_assert(offsetof(BindingTypeRecord, name_space) == 8);
static_assert(offsetof(BindingTypeRecord, size) == 12);
static_assert(offsetof(BindingTypeRecord, description) == 16);
static_assert(offsetof(BindingTypeRecord, tags) == 20);
static_assert(offsetof(BindingTypeRecord, tag_count) == 24);
static_assert(offsetof(BindingTypeRecord, fields) == 28);
static_assert(offsetof(BindingTypeRecord, enumerators) == 32);
static_assert(offsetof(BindingTypeRecord, member_count) == 36);

static_assert(sizeof(BindingEventRecord) == 28);
static_assert(offsetof(BindingEventRecord, next) == 0);
static_assert(offsetof(BindingEventRecord, name) == 4);
static_assert(offsetof(BindingEventRecord, name_space) == 8);
static_assert(offsetof(BindingEventRecord, payload_type_name) == 12);
static_assert(offsetof(BindingEventRecord, description) == 16);
static_assert(offsetof(BindingEventRecord, tags) == 20);
static_assert(offsetof(BindingEventRecord, tag_count) == 24);
#else
static_assert(sizeof(BindingFieldRecord) == 45);
static_assert(offsetof(BindingFieldRecord, next) == 0);
static_assert(offsetof(BindingFieldRecord, name) == 8);
static_assert(offsetof(BindingFieldRecord, description) == 16);
static_assert(offsetof(BindingFieldRecord, offset) == 24);
static_assert(offsetof(BindingFieldRecord, type) == 28);
static_assert(offsetof(BindingFieldRecord, element_type) == 32);
static_assert(offsetof(BindingFieldRecord, type_name) == 36);
static_assert(offsetof(BindingFieldRecord, optional) == 44);

static_assert(sizeof(BindingEnumeratorRecord) == 28);
static_assert(offsetof(BindingEnumeratorRecord, next) == 0);
static_assert(offsetof(BindingEnumeratorRecord, name) == 8);
static_assert(offsetof(BindingEnumeratorRecord, description) == 16);
static_assert(offsetof(BindingEnumeratorRecord, value) == 24);

static_assert(sizeof(BindingTypeRecord) == 68);
static_assert(offsetof(BindingTypeRecord, next) == 0);
static_assert(offsetof(BindingTypeRecord, name) == 8);
static_assert(offsetof(BindingTypeRecord, name_space) == 16);
static_assert(offsetof(BindingTypeRecord, size) == 24);
static_assert(offsetof(BindingTypeRecord, description) == 28);
static_assert(offsetof(BindingTypeRecord, tags) == 36);
static_assert(offsetof(BindingTypeRecord, tag_count) == 44);
static_assert(offsetof(BindingTypeRecord, fields) == 48);
static_assert(offsetof(BindingTypeRecord, enumerators) == 56);
static_assert(offsetof(BindingTypeRecord, member_count) == 64);

static_assert(sizeof(BindingEventRecord) == 52);
static_assert(offsetof(BindingEventRecord, next) == 0);
static_assert(offsetof(BindingEventRecord, name) == 8);
static_assert(offsetof(BindingEventRecord, name_space) == 16);
static_assert(offsetof(BindingEventRecord, payload_type_name) == 24);
static_assert(offsetof(BindingEventRecord, description) == 32);
static_assert(offsetof(BindingEventRecord, tags) == 40);
static_assert(offsetof(BindingEventRecord, tag_count) == 48);
#endif

}  // namespace kel
