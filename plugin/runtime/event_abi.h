// Events: the record the core hands to the plug-in's event callbacks
// (EventCallbackFn, host_abi.h) and the record the plug-in hands to the
// core's PublishEvent.
//
// An incoming record is created and freed by the core and valid only during
// the callback; the plug-in copies what it keeps. An outgoing record is
// created by the plug-in, which frees it and its payload once PublishEvent has
// returned; the core copies what it needs during the call.
//
// Packed: fields in this order and width, pointers at native width. Each
// field's comment gives its offset as 32-bit | 64-bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "binding/host_value_abi.h"

namespace kel {

#pragma pack(push, 1)

// Delivered for each event of a name the plug-in subscribed to, until
// UnsubscribeEvent for that name has returned.
struct IncomingEventRecord {
  const char* name;   // 0 | 0: event name, NUL-terminated
  HostValue payload;  // 4 | 8: the event's record as a HostValue (borrowed)
  uint32_t reserved;  // 16 | 24: not read by the plug-in
  void* context;      // 20 | 28: the context given to SubscribeEvent (the plug-in object)
};

// Zeroed, then filled by the plug-in.
struct OutgoingEventRecord {
  const char* name;   // 0 | 0: event name, NUL-terminated
  HostValue payload;  // 4 | 8: the PluginResourceEvent record as a HostValue
  uint32_t word;      // 16 | 24: passed through from the caller (0 for every event of this plug-in)
  uint32_t zero;      // 20 | 28: 0
};

#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(IncomingEventRecord) == 24);
static_assert(offsetof(IncomingEventRecord, name) == 0);
static_assert(offsetof(IncomingEventRecord, payload) == 4);
static_assert(offsetof(IncomingEventRecord, reserved) == 16);
static_assert(offsetof(IncomingEventRecord, context) == 20);

static_assert(sizeof(OutgoingEventRecord) == 24);
static_assert(offsetof(OutgoingEventRecord, name) == 0);
static_assert(offsetof(OutgoingEventRecord, payload) == 4);
static_assert(offsetof(OutgoingEventRecord, word) == 16);
static_assert(offsetof(OutgoingEventRecord, zero) == 20);
#else
static_assert(sizeof(IncomingEventRecord) == 36);
static_assert(offsetof(IncomingEventRecord, name) == 0);
static_assert(offsetof(IncomingEventRecord, payload) == 8);
static_assert(offsetof(IncomingEventRecord, reserved) == 24);
static_assert(offsetof(IncomingEventRecord, context) == 28);

static_assert(sizeof(OutgoingEventRecord) == 32);
static_assert(offsetof(OutgoingEventRecord, name) == 0);
static_assert(offsetof(OutgoingEventRecord, payload) == 8);
static_assert(offsetof(OutgoingEventRecord, word) == 24);
static_assert(offsetof(OutgoingEventRecord, zero) == 28);
#endif

}  // namespace kel
