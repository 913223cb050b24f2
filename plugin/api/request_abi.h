// Records of an inbound request: what the core hands to a function's invoke
// entry and the response the plug-in fills for it.
//
// Plain, packed records: fields in the documented order and widths, pointers
// at native width. The comments give each field's offset in the 32-bit build.
#pragma once

#include <cstddef>
#include <cstdint>

#include "binding/host_value_abi.h"

namespace kel {

#pragma pack(push, 1)

// One argument the core passes beside the request. A null name binds by
// position (see the argument binding).
struct RequestArgumentEntry {
  const char* name;  // 0: NUL-terminated, or null
  HostValue value;   // 4: borrowed from the core for the call
};

struct RequestHeaderEntry {
  const char* name;   // 0
  const char* value;  // 4
};

// Written by the core, read-only for the plug-in, valid during the call.
struct RequestRecord {
  uint32_t method;                         // 0: RequestMethod code; outside 1-8 means any
  const char* path;                        // 4: may carry a query string after "?"
  const RequestArgumentEntry* arguments;   // 8
  uint32_t argument_count;                 // 12
  const void* invoke_context;              // 16: offset 8 of the function's descriptor
  const RequestHeaderEntry* headers;       // 20
  uint32_t header_count;                   // 24
  const char* content_type;                // 28: of the body; may be null
  const uint8_t* body;                     // 32: null when there is no body
  uint32_t body_length;                    // 36
  uint32_t request_token;                  // 40: passed unchanged to the handler
  const char* custom_method;               // 44: with method 8 only; may be null
};

// One response header; both texts are owned copies freed by the release.
struct ResponseHeaderPair {
  char* name;   // 0
  char* value;  // 4
};

struct ResponseRecord;

// Reads from a response's body stream: the stream object and three words the
// core passes through to the stream's read operation. Called by the core, on
// any thread, until it releases the stream; returns what the read returns.
using BodyStreamReadFn = uint32_t (*)(void* stream, uintptr_t a, uintptr_t b, uintptr_t c);
// Destroys a body stream. Called by the core once, when it is done reading.
using BodyStreamReleaseFn = void (*)(void* stream);
// Frees everything the plug-in put into the record (value, error text, text
// unless it is the shared empty text, header texts and their array) and zeroes
// all of it; the body stream is the core's to release through its own
// function. Called by the core once per filled record, on any thread.
using ResponseReleaseFn = void (*)(ResponseRecord* response);

// Owned by the core, filled by the plug-in's invoke entry.
struct ResponseRecord {
  HostValue result;                        // 0: owned by the record
  char* error_message;                     // 12: owned copy, or null
  uint8_t has_error;                       // 16: 1 when error_message is set
  uint8_t flags;                           // 17: copied from the call result
  uint32_t format;                         // 18: ResultFormat code
  uint32_t status;                         // 22: HTTP status
  const char* text;                        // 26: owned copy, or the shared empty text
  ResponseHeaderPair* headers;             // 30: owned array, or null
  uint32_t header_count;                   // 34
  BodyStreamReadFn read_body;              // 38
  BodyStreamReleaseFn release_body;        // 42
  uint32_t body_size;                      // 46: the size the stream reports
  uint32_t reserved;                       // 50: 0
  void* body_stream;                       // 54: or null
  ResponseReleaseFn release;               // 58
};

#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(RequestArgumentEntry) == 16);
static_assert(sizeof(RequestHeaderEntry) == 8);
static_assert(sizeof(ResponseHeaderPair) == 8);
static_assert(offsetof(RequestArgumentEntry, value) == 4);
static_assert(offsetof(RequestRecord, path) == 4);
static_assert(offsetof(RequestRecord, arguments) == 8);
static_assert(offsetof(RequestRecord, argument_count) == 12);
static_assert(offsetof(RequestRecord, invoke_context) == 16);
static_assert(offsetof(RequestRecord, headers) == 20);
static_assert(offsetof(RequestRecord, header_count) == 24);
static_assert(offsetof(RequestRecord, content_type) == 28);
static_assert(offsetof(RequestRecord, body) == 32);
static_assert(offsetof(RequestRecord, body_length) == 36);
static_assert(offsetof(RequestRecord, request_token) == 40);
static_assert(offsetof(RequestRecord, custom_method) == 44);
static_assert(sizeof(RequestRecord) == 48);
static_assert(offsetof(ResponseRecord, error_message) == 12);
static_assert(offsetof(ResponseRecord, has_error) == 16);
static_assert(offsetof(ResponseRecord, flags) == 17);
static_assert(offsetof(ResponseRecord, format) == 18);
static_assert(offsetof(ResponseRecord, status) == 22);
static_assert(offsetof(ResponseRecord, text) == 26);
static_assert(offsetof(ResponseRecord, headers) == 30);
static_assert(offsetof(ResponseRecord, header_count) == 34);
static_assert(offsetof(ResponseRecord, read_body) == 38);
static_assert(offsetof(ResponseRecord, release_body) == 42);
static_assert(offsetof(ResponseRecord, body_size) == 46);
static_assert(offsetof(ResponseRecord, reserved) == 50);
static_assert(offsetof(ResponseRecord, body_stream) == 54);
static_assert(offsetof(ResponseRecord, release) == 58);
static_assert(sizeof(ResponseRecord) == 62);
#else
static_assert(sizeof(RequestArgumentEntry) == 24);
static_assert(sizeof(RequestHeaderEntry) == 16);
static_assert(sizeof(RequestRecord) == 76);
static_assert(sizeof(ResponseRecord) == 94);
#endif

}  // namespace kel
