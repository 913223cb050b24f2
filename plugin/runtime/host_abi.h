// Loading and the host table: the record the export fills, the plug-in's
// callbacks, the services and table of core functions handed over at
// Initialize, and the memory statistics.
//
// The core creates and frees PluginHostRecord, HostServices, HostTable and
// the MemoryStats record it asks to have filled. The plug-in creates, inside
// its object, the PluginCallbacks, the short name and the ApiDescription it
// writes into the host record; they are freed with the object at Shutdown.
//
// Packed: fields in this order and width, pointers at native width; plain
// functions that never throw; NUL-terminated 8-bit texts. Each field's
// comment gives its offset as 32-bit | 64-bit. Each function member says who
// calls it, on which thread, and who owns what passes through it.
#pragma once

#include <cstddef>
#include <cstdint>

// Records of other families, passed through these tables by address only.
namespace kel {
struct ApiDescription;       // the plug-in's function list, api/api_description_abi.h
struct RequestRecord;        // an outbound request, api/request_abi.h
struct ResponseRecord;       // the core's answer to it, api/request_abi.h
struct OutgoingEventRecord;  // an event the plug-in publishes, runtime/event_abi.h
struct IncomingEventRecord;  // an event the core delivers, runtime/event_abi.h
}  // namespace kel

namespace kel {

#pragma pack(push, 1)

struct HostTable;
struct HostServices;
struct MemoryStats;

// Version of the plug-in programming interface.
struct PluginApiVersion {
  uint32_t major;  // 0 | 0
  uint32_t minor;  // 4 | 4
  uint32_t patch;  // 8 | 8
};

using InitializeFn = uint8_t (*)(void* context, const HostServices* services);
using ShutdownFn = void (*)(void* context);
using GetMemoryStatsFn = void (*)(void* context, MemoryStats* stats);

// Lives inside the plug-in object; the core keeps its address and passes
// PluginHostRecord::context as the first argument of each call.
struct PluginCallbacks {
  // The core calls [one core thread, once, after the load]: starts the
  // plug-in; returns non-zero when it is ready. `services` stays the core's
  // and valid until Shutdown returns.
  InitializeFn initialize;  // 0 | 0
  // The core calls [one core thread, once, last, with no task callback
  // running]: stops the plug-in and frees its object; the context and all
  // the plug-in handed out are invalid afterwards.
  ShutdownFn shutdown;  // 4 | 8
  // The core calls [any core thread, between the load and Shutdown]: fills
  // `stats`, the core's record.
  GetMemoryStatsFn get_memory_stats;  // 8 | 16
};

// Owned by the core and handed to load_kel_champions. The plug-in reads
// words 0-2 and, as the last act of the entry, writes all seven.
struct PluginHostRecord {
  uint32_t api_major;                     // 0 | 0: in: core's, out: plug-in's
  uint32_t api_minor;                     // 4 | 4
  uint32_t api_patch;                     // 8 | 8
  const PluginCallbacks* callbacks;       // 12 | 12: out, owned by the plug-in object
  void* context;                          // 16 | 20: out, the plug-in object
  const char* short_name;                 // 20 | 28: out, owned by the plug-in object
  const ApiDescription* api_description;  // 24 | 36: out, owned by the plug-in object
};

// Provided by the core at Initialize and kept by the plug-in for its life.
struct HostServices {
  HostTable* host_table;   // 0 | 0
  uint32_t plugin_handle;  // 4 | 8: the core's id of this plug-in
};

// Passed by the plug-in to SubscribeEvent. The core calls [any core thread,
// several at once] for each matching event; `event` is the core's, valid
// during the call only.
using EventCallbackFn = void (*)(const IncomingEventRecord* event);
// Passed by the plug-in to ScheduleCallback. The core calls [one core thread,
// once] with the context given at scheduling, which stays the plug-in's.
using TaskCallbackFn = void (*)(void* context);

using SendRequestFn = void (*)(HostTable* t, ResponseRecord* response, const RequestRecord* request);
using ReservedHostFn = void (*)(HostTable* t, uintptr_t first, uintptr_t second);
using PublishEventFn = void (*)(HostTable* t, const OutgoingEventRecord* event);
using SubscribeEventFn = void (*)(HostTable* t, const char* name, uint32_t plugin_handle, EventCallbackFn callback,
                                  void* context, uint32_t flag);
using UnsubscribeEventFn = void (*)(HostTable* t, const char* name, uint32_t plugin_handle);
using ScheduleCallbackFn = void (*)(HostTable* t, const char* label, TaskCallbackFn callback, void* context,
                                    double delay_seconds, uint32_t reserved);
using PumpHostFn = void (*)(HostTable* t);
using BeginWaitFn = void (*)(HostTable* t, const char* label, uint32_t reserved);
using EndWaitFn = void (*)(HostTable* t);
using WriteLogFn = void (*)(HostTable* t, uint32_t level, const char* text);

// Core functions. Each takes the table's own address first. The plug-in may
// call any of them once Initialize has begun, never before, and does not
// serialise them. Texts passed in are the plug-in's, read during the call.
struct HostTable {
  // The plug-in calls [any core thread]: performs `request` (the plug-in's,
  // read during the call) and fills `response` (the plug-in's zeroed record)
  // before returning; the plug-in frees what the core put in it through
  // response->release.
  SendRequestFn send_request;  // 0 | 0
  // Never called by this plug-in (its forwarder would pass two words on).
  ReservedHostFn reserved;  // 4 | 8
  // The plug-in calls [any core thread]: publishes `event`, the plug-in's,
  // which the core copies before returning.
  PublishEventFn publish_event;  // 8 | 16
  // The plug-in calls [any core thread]: records `callback` and `context`
  // (the plug-in object) under `name` for this plug-in. `flag` is 0 for
  // resource events and 1 for service-proxy answers.
  SubscribeEventFn subscribe_event;  // 12 | 24
  // The plug-in calls [any core thread]: stops deliveries of `name` to this
  // plug-in.
  UnsubscribeEventFn unsubscribe_event;  // 16 | 32
  // The plug-in calls [any core thread]: runs `callback(context)` once after
  // `delay_seconds` (0 or more); `label` names the task. The context points
  // into the plug-in object, so no callback may run once Shutdown is called;
  // those still pending are dropped and the plug-in frees their records with
  // the object.
  ScheduleCallbackFn schedule_callback;  // 20 | 40
  // The plug-in calls [any core thread]: runs pending core work for this
  // plug-in on the calling thread.
  PumpHostFn pump_host;  // 24 | 48
  // The plug-in calls [any core thread]: begins a blocking wait; `label`
  // names what is waited for.
  BeginWaitFn begin_wait;  // 28 | 56
  // The plug-in calls [the thread that began the wait]: ends it.
  EndWaitFn end_wait;  // 32 | 64
  // The plug-in calls [any core thread]: takes one log line.
  WriteLogFn write_log;  // 36 | 72
};

// Written by GetMemoryStats: six 64-bit counters (low word first), then
// two words of 0.
struct MemoryStats {
  uint64_t peak_bytes_in_use;      // 0 | 0: largest bytes allocated minus freed
  uint64_t allocations_at_peak;    // 8 | 8: allocations minus frees at that peak
  uint64_t total_bytes_allocated;  // 16 | 16
  uint64_t total_allocations;      // 24 | 24
  uint64_t total_bytes_freed;      // 32 | 32
  uint64_t total_frees;            // 40 | 40
  uint32_t reserved[2];            // 48 | 48: always 0
};

#pragma pack(pop)

// The core calls [loading thread, once]: creates the plug-in object and fills
// `record`, the core's.
extern "C" void load_kel_champions(PluginHostRecord* record);

// These two hold no pointer and are the same at both widths.
static_assert(sizeof(PluginApiVersion) == 12);
static_assert(offsetof(PluginApiVersion, major) == 0);
static_assert(offsetof(PluginApiVersion, minor) == 4);
static_assert(offsetof(PluginApiVersion, patch) == 8);

static_assert(sizeof(MemoryStats) == 56);
static_assert(offsetof(MemoryStats, peak_bytes_in_use) == 0);
static_assert(offsetof(MemoryStats, allocations_at_peak) == 8);
static_assert(offsetof(MemoryStats, total_bytes_allocated) == 16);
static_assert(offsetof(MemoryStats, total_allocations) == 24);
static_assert(offsetof(MemoryStats, total_bytes_freed) == 32);
static_assert(offsetof(MemoryStats, total_frees) == 40);
static_assert(offsetof(MemoryStats, reserved) == 48);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(PluginCallbacks) == 12);
static_assert(offsetof(PluginCallbacks, initialize) == 0);
static_assert(offsetof(PluginCallbacks, shutdown) == 4);
static_assert(offsetof(PluginCallbacks, get_memory_stats) == 8);

static_assert(sizeof(PluginHostRecord) == 28);
static_assert(offsetof(PluginHostRecord, api_major) == 0);
static_assert(offsetof(PluginHostRecord, api_minor) == 4);
static_assert(offsetof(PluginHostRecord, api_patch) == 8);
static_assert(offsetof(PluginHostRecord, callbacks) == 12);
static_assert(offsetof(PluginHostRecord, context) == 16);
static_assert(offsetof(PluginHostRecord, short_name) == 20);
static_assert(offsetof(PluginHostRecord, api_description) == 24);

static_assert(sizeof(HostServices) == 8);
static_assert(offsetof(HostServices, host_table) == 0);
static_assert(offsetof(HostServices, plugin_handle) == 4);

static_assert(sizeof(HostTable) == 40);
static_assert(offsetof(HostTable, send_request) == 0);
static_assert(offsetof(HostTable, reserved) == 4);
static_assert(offsetof(HostTable, publish_event) == 8);
static_assert(offsetof(HostTable, subscribe_event) == 12);
static_assert(offsetof(HostTable, unsubscribe_event) == 16);
static_assert(offsetof(HostTable, schedule_callback) == 20);
static_assert(offsetof(HostTable, pump_host) == 24);
static_assert(offsetof(HostTable, begin_wait) == 28);
static_assert(offsetof(HostTable, end_wait) == 32);
static_assert(offsetof(HostTable, write_log) == 36);
#else
static_assert(sizeof(PluginCallbacks) == 24);
static_assert(offsetof(PluginCallbacks, initialize) == 0);
static_assert(offsetof(PluginCallbacks, shutdown) == 8);
static_assert(offsetof(PluginCallbacks, get_memory_stats) == 16);

static_assert(sizeof(PluginHostRecord) == 44);
static_assert(offsetof(PluginHostRecord, api_major) == 0);
static_assert(offsetof(PluginHostRecord, api_minor) == 4);
static_assert(offsetof(PluginHostRecord, api_patch) == 8);
static_assert(offsetof(PluginHostRecord, callbacks) == 12);
static_assert(offsetof(PluginHostRecord, context) == 20);
static_assert(offsetof(PluginHostRecord, short_name) == 28);
static_assert(offsetof(PluginHostRecord, api_description) == 36);

static_assert(sizeof(HostServices) == 12);
static_assert(offsetof(HostServices, host_table) == 0);
static_assert(offsetof(HostServices, plugin_handle) == 8);

static_assert(sizeof(HostTable) == 80);
static_assert(offsetof(HostTable, send_request) == 0);
static_assert(offsetof(HostTable, reserved) == 8);
static_assert(offsetof(HostTable, publish_event) == 16);
static_assert(offsetof(HostTable, subscribe_event) == 24);
static_assert(offsetof(HostTable, unsubscribe_event) == 32);
static_assert(offsetof(HostTable, schedule_callback) == 40);
static_assert(offsetof(HostTable, pump_host) == 48);
static_assert(offsetof(HostTable, begin_wait) == 56);
static_assert(offsetof(HostTable, end_wait) == 64);
static_assert(offsetof(HostTable, write_log) == 72);
#endif

}  // namespace kel
