#pragma once

// Event records exchanged with the core: the record the core hands to the
// plug-in's event callbacks, and the record the plug-in hands to the core's
// PublishEvent (HostTable index 2). Packed, little-endian, pointers at native
// width; offsets in the comments are those of the 32-bit build.

#include <cstddef>
#include <cstdint>

#include "binding/host_value_abi.h"

namespace kel {

#pragma pack(push, 1)

// An event delivered to the plug-in's event callback (EventCallbackFn of
// host_abi.h), on any core thread, possibly several at once, for each event
// of a name the plug-in subscribed to, until UnsubscribeEvent for that name
// has returned. Owned by the core and valid only during the callback; the
// plug-in copies what it keeps.
struct IncomingEventRecord {
  const char* name;        // 0: event name, NUL-terminated
  HostValue payload;       // 4: the event's record as a HostValue (borrowed)
  std::uint32_t reserved;  // 16: not read by the plug-in
  void* context;           // 20: the context given to SubscribeEvent (the plug-in object)
};

// An event the plug-in publishes. Zeroed, then filled by the plug-in; the
// core copies what it needs before PublishEvent returns, after which the
// plug-in releases the payload.
struct OutgoingEventRecord {
  const char* name;     // 0: event name, NUL-terminated
  HostValue payload;    // 4: the PluginResourceEvent record as a HostValue
  std::uint32_t word;   // 16: passed through from the caller (0 for every event of this plug-in)
  std::uint32_t zero;   // 20: 0
};

#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(IncomingEventRecord, name) == 0);
static_assert(offsetof(IncomingEventRecord, payload) == 4);
static_assert(offsetof(IncomingEventRecord, reserved) == 16);
static_assert(offsetof(IncomingEventRecord, context) == 20);
static_assert(sizeof(IncomingEventRecord) == 24);
static_assert(offsetof(OutgoingEventRecord, name) == 0);
static_assert(offsetof(OutgoingEventRecord, payload) == 4);
static_assert(offsetof(OutgoingEventRecord, word) == 16);
static_assert(offsetof(OutgoingEventRecord, zero) == 20);
static_assert(sizeof(OutgoingEventRecord) == 24);
#else
static_assert(sizeof(IncomingEventRecord) == 36);
static_assert(sizeof(OutgoingEventRecord) == 32);
#endif

}  // namespace kel
