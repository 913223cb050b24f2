// The API description: the function list with each function's invoke entry,
// descriptor, arguments, parameters and text lists, and ApiDescription, which
// points at it and at the type and event lists (binding/type_list_abi.h).
//
// Created once by the plug-in at the end of the entry sequence and handed to
// the core in word 6 of the host record; freed with the plug-in object. Every
// record, array and text here is the plug-in's and stays valid and unchanged
// until Shutdown returns. The core only reads it, on any of its threads.
//
// Packed: fields in this order and width, pointers at native width. Each
// field's comment gives its offset as 32-bit | 64-bit. Each function member
// says who calls it, on which thread, and who owns what passes through it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "api/request_abi.h"
#include "binding/type_list_abi.h"

namespace kel {

class BindingRegistry;
struct FunctionRecord;

// What a function descriptor's description.invoke_context points at; the
// core passes it back in every request for that function. The plug-in's own, never read by the
// core, so not packed.
struct InvokeContext {
  BindingRegistry* registry;
  const FunctionRecord* function;
};

using InvokeFn = void (*)(ResponseRecord* response, const RequestRecord* request);

#pragma pack(push, 1)

// One per parameter, in parameter order.
struct ParameterEntry {
  const ParameterEntry* next;  // 0 | 0: null in the last
  uint32_t location;           // 4 | 8: ParameterLocation code
};

// One per text list of a function.
struct TextListEntry {
  const TextListEntry* next;  // 0 | 0: null in the last
  const char* const* texts;   // 4 | 8
  uint32_t count;             // 8 | 16
};

// One per parameter, in parameter order.
struct ArgumentRecord {
  const ArgumentRecord* next;  // 0 | 0: null in the last
  const char* name;            // 4 | 8
  const char* description;     // 8 | 16
  uint32_t type;               // 12 | 24: BindingType code
  uint32_t element_type;       // 16 | 28: for vectors and maps, else 0
  const char* type_name;       // 20 | 32: registered struct or enum name, else ""
  uint8_t optional;            // 24 | 40
};

// A function's description, copied into its descriptor.
struct FunctionDescriptionRecord {
  const FunctionDescriptionRecord* next;  // 0 | 0: null in the last
  uint32_t reserved;                      // 4 | 8: 0
  const InvokeContext* invoke_context;    // 8 | 12: null here, set in the descriptor's copy
  const char* name;                       // 12 | 20
  const char* name_space;                 // 16 | 28
  const ArgumentRecord* arguments;        // 20 | 36
  uint32_t argument_count;                // 24 | 44
  uint32_t result_type;                   // 28 | 48: BindingType code, 0 for none
  uint32_t result_element_type;           // 32 | 52: for vectors and maps, else 0
  const char* result_type_name;           // 36 | 56: registered struct or enum name, else ""
  const char* description;                // 40 | 64
  const char* help;                       // 44 | 72
  uint8_t thread_safe;                    // 48 | 80
  const char* async_name;                 // 49 | 81: "" unless asynchronous
  const char* const* tags;                // 53 | 89
  uint32_t tag_count;                     // 57 | 97
};

// One per registered function, in registration order.
struct FunctionDescriptor {
  FunctionDescriptionRecord description;  // 0 | 0
  // The core calls [any core thread, concurrently, as often as it likes]:
  // answers `request` (the core's, read during the call) by filling
  // `response` (the core's record; what the plug-in puts in it, the core frees
  // through response->release). Never throws.
  InvokeFn invoke;                   // 61 | 101
  const ParameterEntry* parameters;  // 65 | 109: null without parameters
  const char* path_template;         // 69 | 117: "" when the function has none
  uint32_t method;                   // 73 | 125: RequestMethod code
  uint8_t flags;                     // 77 | 129: copied from the function record
  const TextListEntry* text_lists;   // 78 | 130
  uint32_t text_list_count;          // 82 | 138
  const char* custom_method;         // 86 | 142: with method 8
};

// Three (records, count) pairs: functions, types, events.
struct ApiDescription {
  const FunctionDescriptor* functions;  // 0 | 0: registration order
  uint32_t function_count;              // 4 | 8
  const BindingTypeRecord* types;       // 8 | 12: see type_list_abi.h
  uint32_t type_count;                  // 12 | 20
  const BindingEventRecord* events;     // 16 | 24: see type_list_abi.h
  uint32_t event_count;                 // 20 | 32
};

#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ParameterEntry) == 8);
static_assert(offsetof(ParameterEntry, next) == 0);
static_assert(offsetof(ParameterEntry, location) == 4);

static_assert(sizeof(TextListEntry) == 12);
static_assert(offsetof(TextListEntry, next) == 0);
static_assert(offsetof(TextListEntry, texts) == 4);
static_assert(offsetof(TextListEntry, count) == 8);

static_assert(sizeof(ArgumentRecord) == 25);
static_assert(offsetof(ArgumentRecord, next) == 0);
static_assert(offsetof(ArgumentRecord, name) == 4);
static_assert(offsetof(ArgumentRecord, description) == 8);
static_assert(offsetof(ArgumentRecord, type) == 12);
static_assert(offsetof(ArgumentRecord, element_type) == 16);
static_assert(offsetof(ArgumentRecord, type_name) == 20);
static_assert(offsetof(ArgumentRecord, optional) == 24);

static_assert(sizeof(FunctionDescriptionRecord) == 61);
static_assert(offsetof(FunctionDescriptionRecord, next) == 0);
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

static_assert(sizeof(FunctionDescriptor) == 90);
static_assert(offsetof(FunctionDescriptor, description) == 0);
static_assert(offsetof(FunctionDescriptor, invoke) == 61);
static_assert(offsetof(FunctionDescriptor, parameters) == 65);
static_assert(offsetof(FunctionDescriptor, path_template) == 69);
static_assert(offsetof(FunctionDescriptor, method) == 73);
static_assert(offsetof(FunctionDescriptor, flags) == 77);
static_assert(offsetof(FunctionDescriptor, text_lists) == 78);
static_assert(offsetof(FunctionDescriptor, text_list_count) == 82);
static_assert(offsetof(FunctionDescriptor, custom_method) == 86);

static_assert(sizeof(ApiDescription) == 24);
static_assert(offsetof(ApiDescription, functions) == 0);
static_assert(offsetof(ApiDescription, function_count) == 4);
static_assert(offsetof(ApiDescription, types) == 8);
static_assert(offsetof(ApiDescription, type_count) == 12);
static_assert(offsetof(ApiDescription, events) == 16);
static_assert(offsetof(ApiDescription, event_count) == 20);
#else
static_assert(sizeof(ParameterEntry) == 12);
static_assert(offsetof(ParameterEntry, next) == 0);
static_assert(offsetof(ParameterEntry, location) == 8);

static_assert(sizeof(TextListEntry) == 20);
static_assert(offsetof(TextListEntry, next) == 0);
static_assert(offsetof(TextListEntry, texts) == 8);
static_assert(offsetof(TextListEntry, count) == 16);

static_assert(sizeof(ArgumentRecord) == 41);
static_assert(offsetof(ArgumentRecord, next) == 0);
static_assert(offsetof(ArgumentRecord, name) == 8);
static_assert(offsetof(ArgumentRecord, description) == 16);
static_assert(offsetof(ArgumentRecord, type) == 24);
static_assert(offsetof(ArgumentRecord, element_type) == 28);
static_assert(offsetof(ArgumentRecord, type_name) == 32);
static_assert(offsetof(ArgumentRecord, optional) == 40);

static_assert(sizeof(FunctionDescriptionRecord) == 101);
static_assert(offsetof(FunctionDescriptionRecord, next) == 0);
static_assert(offsetof(FunctionDescriptionRecord, reserved) == 8);
static_assert(offsetof(FunctionDescriptionRecord, invoke_context) == 12);
static_assert(offsetof(FunctionDescriptionRecord, name) == 20);
static_assert(offsetof(FunctionDescriptionRecord, name_space) == 28);
static_assert(offsetof(FunctionDescriptionRecord, arguments) == 36);
static_assert(offsetof(FunctionDescriptionRecord, argument_count) == 44);
static_assert(offsetof(FunctionDescriptionRecord, result_type) == 48);
static_assert(offsetof(FunctionDescriptionRecord, result_element_type) == 52);
static_assert(offsetof(FunctionDescriptionRecord, result_type_name) == 56);
static_assert(offsetof(FunctionDescriptionRecord, description) == 64);
static_assert(offsetof(FunctionDescriptionRecord, help) == 72);
static_assert(offsetof(FunctionDescriptionRecord, thread_safe) == 80);
static_assert(offsetof(FunctionDescriptionRecord, async_name) == 81);
static_assert(offsetof(FunctionDescriptionRecord, tags) == 89);
static_assert(offsetof(FunctionDescriptionRecord, tag_count) == 97);

static_assert(sizeof(FunctionDescriptor) == 150);
static_assert(offsetof(FunctionDescriptor, description) == 0);
static_assert(offsetof(FunctionDescriptor, invoke) == 101);
static_assert(offsetof(FunctionDescriptor, parameters) == 109);
static_assert(offsetof(FunctionDescriptor, path_template) == 117);
static_assert(offsetof(FunctionDescriptor, method) == 125);
static_assert(offsetof(FunctionDescriptor, flags) == 129);
static_assert(offsetof(FunctionDescriptor, text_lists) == 130);
static_assert(offsetof(FunctionDescriptor, text_list_count) == 138);
static_assert(offsetof(FunctionDescriptor, custom_method) == 142);

static_assert(sizeof(ApiDescription) == 36);
static_assert(offsetof(ApiDescription, functions) == 0);
static_assert(offsetof(ApiDescription, function_count) == 8);
static_assert(offsetof(ApiDescription, types) == 12);
static_assert(offsetof(ApiDescription, type_count) == 20);
static_assert(offsetof(ApiDescription, events) == 24);
static_assert(offsetof(ApiDescription, event_count) == 32);
#endif

}  // namespace kel
