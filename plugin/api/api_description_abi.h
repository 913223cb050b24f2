// The description of the plug-in's API that the entry point hands to the core
// (word 6 of the host record): the functions with their invoke entries, and
// the type and event lists.
//
// Built once, at the end of the entry sequence, and owned by the plug-in
// object: every record, array and text here stays valid and unchanged until
// Shutdown returns. The core only reads it.
//
// Plain, packed records: fields in the documented order and widths, pointers
// at native width. The comments give each field's offset in the 32-bit build.
#pragma once

#include <cstddef>
#include <cstdint>

#include "api/request_abi.h"
#include "binding/type_list_abi.h"

namespace kel {

class BindingRegistry;
struct FunctionRecord;

// What the core finds at offset 8 of a function descriptor and passes back
// in every request for that function.
struct InvokeContext {
  BindingRegistry* registry;
  const FunctionRecord* function;
};

// A function's invoke entry. Called by the core on any of its threads, as
// often and as concurrently as it likes; fills `response` (which the core
// later frees through response->release) and never throws.
using InvokeFn = void (*)(ResponseRecord* response, const RequestRecord* request);

#pragma pack(push, 1)

// One per parameter, in parameter order.
struct ParameterEntry {
  const ParameterEntry* next;  // 0: null in the last
  uint32_t location;           // 4: ParameterLocation code
};

struct TextListEntry {
  const TextListEntry* next;  // 0: null in the last
  const char* const* texts;   // 4
  uint32_t count;             // 8
};

// One per parameter, in parameter order.
struct ArgumentRecord {
  const ArgumentRecord* next;  // 0: null in the last
  const char* name;            // 4
  const char* description;     // 8
  uint32_t type;               // 12: BindingType code
  uint32_t element_type;       // 16: for vectors and maps, else 0
  const char* type_name;       // 20: registered struct or enum name, else ""
  uint8_t optional;            // 24
};

struct FunctionDescriptionRecord {
  const FunctionDescriptionRecord* next;  // 0: null in the last
  uint32_t reserved;                      // 4: 0
  const InvokeContext* invoke_context;    // 8: null here, set in the descriptor's copy
  const char* name;                       // 12
  const char* name_space;                 // 16
  const ArgumentRecord* arguments;        // 20
  uint32_t argument_count;                // 24
  uint32_t result_type;                   // 28: BindingType code, 0 for none
  uint32_t result_element_type;           // 32: for vectors and maps, else 0
  const char* result_type_name;           // 36: registered struct or enum name, else ""
  const char* description;                // 40
  const char* help;                       // 44
  uint8_t thread_safe;                    // 48
  const char* async_name;                 // 49: "" unless asynchronous
  const char* const* tags;                // 53
  uint32_t tag_count;                     // 57
};

// One per registered function, in registration order.
struct FunctionDescriptor {
  FunctionDescriptionRecord description;  // 0
  InvokeFn invoke;                        // 61
  const ParameterEntry* parameters;       // 65: null without parameters
  const char* path_template;              // 69: "" when the function has none
  uint32_t method;                        // 73: RequestMethod code
  uint8_t flags;                          // 77: copied from the function record
  const TextListEntry* text_lists;        // 78
  uint32_t text_list_count;               // 82
  const char* custom_method;              // 86: with method 8
};

struct ApiDescription {
  const FunctionDescriptor* functions;  // 0: registration order
  uint32_t function_count;              // 4
  const BindingTypeRecord* types;       // 8: see type_list_abi.h
  uint32_t type_count;                  // 12
  const BindingEventRecord* events;     // 16: see type_list_abi.h
  uint32_t event_count;                 // 20
};

#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(ParameterEntry, location) == 4);
static_assert(sizeof(ParameterEntry) == 8);
static_assert(offsetof(TextListEntry, texts) == 4);
static_assert(offsetof(TextListEntry, count) == 8);
static_assert(sizeof(TextListEntry) == 12);
static_assert(offsetof(ArgumentRecord, name) == 4);
static_assert(offsetof(ArgumentRecord, description) == 8);
static_assert(offsetof(ArgumentRecord, type) == 12);
static_assert(offsetof(ArgumentRecord, element_type) == 16);
static_assert(offsetof(ArgumentRecord, type_name) == 20);
static_assert(offsetof(ArgumentRecord, optional) == 24);
static_assert(sizeof(ArgumentRecord) == 25);
static_assert(offsetof(FunctionDescriptionRecord, reserved) == 4);
static_assert(offsetof(FunctionDescriptionRecord, invoke_context) == 8);
static_assert(offsetof(FunctionDescriptionRecord, name) == 12);
static_assert(offsetof(FunctionDescriptionRecord, name_space) == 16);
static_assert(offsetof(FunctionDescriptionRecord, arguments) == 20);
static_assert(offsetof(FunctionDescriptionRecord, argument_count) == 24);
static_assert(offsetof(FunctionDescriptionRecord, result_type) == 28);
static_assert(offsetof(FunctionDescriptionRecord, result_element_type) == 32);
static_assert(offsetof(FunctionDescriptionRecord, result_type_name) == 36);
static_assert(offsetof(FunctionDescriptionRecord, description) == 40);
static_assert(offsetof(FunctionDescriptionRecord, help) == 44);
static_assert(offsetof(FunctionDescriptionRecord, thread_safe) == 48);
static_assert(offsetof(FunctionDescriptionRecord, async_name) == 49);
static_assert(offsetof(FunctionDescriptionRecord, tags) == 53);
static_assert(offsetof(FunctionDescriptionRecord, tag_count) == 57);
static_assert(sizeof(FunctionDescriptionRecord) == 61);
static_assert(offsetof(FunctionDescriptor, invoke) == 61);
static_assert(offsetof(FunctionDescriptor, parameters) == 65);
static_assert(offsetof(FunctionDescriptor, path_template) == 69);
static_assert(offsetof(FunctionDescriptor, method) == 73);
static_assert(offsetof(FunctionDescriptor, flags) == 77);
static_assert(offsetof(FunctionDescriptor, text_lists) == 78);
static_assert(offsetof(FunctionDescriptor, text_list_count) == 82);
static_assert(offsetof(FunctionDescriptor, custom_method) == 86);
static_assert(sizeof(FunctionDescriptor) == 90);
static_assert(offsetof(ApiDescription, function_count) == 4);
static_assert(offsetof(ApiDescription, types) == 8);
static_assert(offsetof(ApiDescription, type_count) == 12);
static_assert(offsetof(ApiDescription, events) == 16);
static_assert(offsetof(ApiDescription, event_count) == 20);
static_assert(sizeof(ApiDescription) == 24);
#else
static_assert(sizeof(ParameterEntry) == 12);
static_assert(sizeof(TextListEntry) == 20);
static_assert(sizeof(ArgumentRecord) == 41);
static_assert(sizeof(FunctionDescriptionRecord) == 101);
static_assert(sizeof(FunctionDescriptor) == 150);
static_assert(sizeof(ApiDescription) == 36);
#endif

}  // namespace kel
