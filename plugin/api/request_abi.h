// Requests and responses: the request record with its argument and header
// entries, and the response record with its header pairs, body stream and
// release function.
//
// One shape serves both directions. Inbound, the core creates and frees the
// request and the response record and hands both to a function's invoke
// entry; the plug-in fills the response and the core frees what the plug-in
// put in it through `release`. Outbound (SendRequest), the plug-in creates
// both records and frees the request after the call; the core fills the
// response, and the plug-in frees its contents through `release`.
//
// Packed: fields in this order and width, pointers at native width. Each
// field's comment gives its offset as 32-bit | 64-bit. Each function member
// says who calls it, on which thread, and who owns what passes through it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "binding/host_value_abi.h"

namespace kel {

#pragma pack(push, 1)

// One argument passed beside the request. A null name binds by position
// (see the argument binding).
struct RequestArgumentEntry {
  const char* name;  // 0 | 0: NUL-terminated, or null
  HostValue value;   // 4 | 8: owned by the request's creator
};

struct RequestHeaderEntry {
  const char* name;   // 0 | 0
  const char* value;  // 4 | 8
};

// Written by its creator, read-only for the receiver, valid during the call.
struct RequestRecord {
  uint32_t method;                        // 0 | 0: RequestMethod code; outside 1-8 means any
  const char* path;                       // 4 | 4: may carry a query string after "?"
  const RequestArgumentEntry* arguments;  // 8 | 12
  uint32_t argument_count;                // 12 | 20
  const void* invoke_context;             // 16 | 24: the function descriptor's invoke_context
  const RequestHeaderEntry* headers;      // 20 | 32
  uint32_t header_count;                  // 24 | 40
  const char* content_type;               // 28 | 44: of the body; may be null
  const uint8_t* body;                    // 32 | 52: null when there is no body
  uint32_t body_length;                   // 36 | 60
  uint32_t request_token;                 // 40 | 64: passed unchanged to the handler
  const char* custom_method;              // 44 | 68: with method 8 only; may be null
};

// One response header; both texts are owned copies freed by the release.
struct ResponseHeaderPair {
  char* name;   // 0 | 0
  char* value;  // 4 | 8
};

struct ResponseRecord;

using BodyStreamReadFn = uint32_t (*)(void* stream, uintptr_t a, uintptr_t b, uintptr_t c);
using BodyStreamReleaseFn = void (*)(void* stream);
using ResponseReleaseFn = void (*)(ResponseRecord* response);

// Created by the side that asks (the receiver below: the core for an invoke,
// the plug-in for SendRequest) and filled by the side that answers.
struct ResponseRecord {
  HostValue result;             // 0 | 0: owned by the record
  char* error_message;          // 12 | 16: owned copy, or null
  uint8_t has_error;            // 16 | 24: 1 when error_message is set
  uint8_t flags;                // 17 | 25: copied from the call result
  uint32_t format;              // 18 | 26: ResultFormat code
  uint32_t status;              // 22 | 30: HTTP status
  const char* text;             // 26 | 34: owned copy, or the shared empty text
  ResponseHeaderPair* headers;  // 30 | 42: owned array, or null
  uint32_t header_count;        // 34 | 50
  // The receiver calls [any core thread, until release_body]: reads from
  // body_stream; the three words pass through to the stream's read (buffer,
  // in/out length, out more-flag). The low byte of the result is non-zero on
  // success. The stream stays the answering side's.
  BodyStreamReadFn read_body;  // 38 | 54
  // The receiver calls [any core thread, once, when done reading]: destroys
  // body_stream, which the answering side created.
  BodyStreamReleaseFn release_body;  // 42 | 62
  uint32_t body_size;                // 46 | 70: the size the stream reports
  uint32_t reserved;                 // 50 | 74: 0
  void* body_stream;                 // 54 | 78: or null
  // The receiver calls [any core thread, once per filled record]: frees all
  // the answering side put in the record (value, error text, text unless it
  // is the shared empty text, header texts and their array) and zeroes it;
  // the body stream goes through release_body instead.
  ResponseReleaseFn release;  // 58 | 86
};

#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(RequestArgumentEntry) == 16);
static_assert(offsetof(RequestArgumentEntry, name) == 0);
static_assert(offsetof(RequestArgumentEntry, value) == 4);

static_assert(sizeof(RequestHeaderEntry) == 8);
static_assert(offsetof(RequestHeaderEntry, name) == 0);
static_assert(offsetof(RequestHeaderEntry, value) == 4);

static_assert(sizeof(RequestRecord) == 48);
static_assert(offsetof(RequestRecord, method) == 0);
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

static_assert(sizeof(ResponseHeaderPair) == 8);
static_assert(offsetof(ResponseHeaderPair, name) == 0);
static_assert(offsetof(ResponseHeaderPair, value) == 4);

static_assert(sizeof(ResponseRecord) == 62);
static_assert(offsetof(ResponseRecord, result) == 0);
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
#else
static_assert(sizeof(RequestArgumentEntry) == 24);
static_assert(offsetof(RequestArgumentEntry, name) == 0);
static_assert(offsetof(RequestArgumentEntry, value) == 8);

static_assert(sizeof(RequestHeaderEntry) == 16);
static_assert(offsetof(RequestHeaderEntry, name) == 0);
static_assert(offsetof(RequestHeaderEntry, value) == 8);

static_assert(sizeof(RequestRecord) == 76);
static_assert(offsetof(RequestRecord, method) == 0);
static_assert(offsetof(RequestRecord, path) == 4);
static_assert(offsetof(RequestRecord, arguments) == 12);
static_assert(offsetof(RequestRecord, argument_count) == 20);
static_assert(offsetof(RequestRecord, invoke_context) == 24);
static_assert(offsetof(RequestRecord, headers) == 32);
static_assert(offsetof(RequestRecord, header_count) == 40);
static_assert(offsetof(RequestRecord, content_type) == 44);
static_assert(offsetof(RequestRecord, body) == 52);
static_assert(offsetof(RequestRecord, body_length) == 60);
static_assert(offsetof(RequestRecord, request_token) == 64);
static_assert(offsetof(RequestRecord, custom_method) == 68);

static_assert(sizeof(ResponseHeaderPair) == 16);
static_assert(offsetof(ResponseHeaderPair, name) == 0);
static_assert(offsetof(ResponseHeaderPair, value) == 8);

static_assert(sizeof(ResponseRecord) == 94);
static_assert(offsetof(ResponseRecord, result) == 0);
static_assert(offsetof(ResponseRecord, error_message) == 16);
static_assert(offsetof(ResponseRecord, has_error) == 24);
static_assert(offsetof(ResponseRecord, flags) == 25);
static_assert(offsetof(ResponseRecord, format) == 26);
static_assert(offsetof(ResponseRecord, status) == 30);
static_assert(offsetof(ResponseRecord, text) == 34);
static_assert(offsetof(ResponseRecord, headers) == 42);
static_assert(offsetof(ResponseRecord, header_count) == 50);
static_assert(offsetof(ResponseRecord, read_body) == 54);
static_assert(offsetof(ResponseRecord, release_body) == 62);
static_assert(offsetof(ResponseRecord, body_size) == 70);
static_assert(offsetof(ResponseRecord, reserved) == 74);
static_assert(offsetof(ResponseRecord, body_stream) == 78);
static_assert(offsetof(ResponseRecord, release) == 86);
#endif

}  // namespace kel
