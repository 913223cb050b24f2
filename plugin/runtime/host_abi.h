// The records and function tables shared with the core at load and start.
//
// Everything here crosses the boundary: packed, fields in order, pointers
// at native width (the offsets in the comments are those of the 32-bit
// build), plain functions that never throw, NUL-terminated 8-bit texts.
#pragma once

#include <cstddef>
#include <cstdint>

// Records of other families, passed through these tables by address only.
namespace kel {
struct ApiDescription;       // the plug-in's function list, api/
struct RequestRecord;        // an outbound request, api/
struct ResponseRecord;       // the core's answer to it, api/
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
  uint32_t major;  // 0
  uint32_t minor;  // 4
  uint32_t patch;  // 8
};

// ---------------------------------------------------------------------------
// Plug-in callbacks: called by the core with the context it received in
// PluginHostRecord::context.

// Called once, after load_kel_champions, on a core thread. `services` is
// owned by the core and stays valid until Shutdown. Returns non-zero when
// the plug-in is ready.
using InitializeFn = uint8_t (*)(void* context, const HostServices* services);
// Called once, last. The context is invalid afterwards.
using ShutdownFn = void (*)(void* context);
// Called on any core thread, at any time between load and Shutdown; fills
// the caller's record.
using GetMemoryStatsFn = void (*)(void* context, MemoryStats* stats);

// Lives inside the plug-in object; the core keeps its address.
struct PluginCallbacks {
  InitializeFn initialize;            // 0
  ShutdownFn shutdown;                // 4
  GetMemoryStatsFn get_memory_stats;  // 8
};

// Owned by the core and handed to load_kel_champions. The plug-in reads
// words 0-2 and, as the last act of the entry, writes all seven.
struct PluginHostRecord {
  uint32_t api_major;                       // 0: in: core's, out: plug-in's
  uint32_t api_minor;                       // 4
  uint32_t api_patch;                       // 8
  const PluginCallbacks* callbacks;         // 12: out, owned by the plug-in object
  void* context;                            // 16: out, the plug-in object
  const char* short_name;                   // 20: out, owned by the plug-in object
  const ApiDescription* api_description;    // 24: out, owned by the plug-in object
};

// Provided by the core at Initialize and kept by the plug-in for its life.
struct HostServices {
  HostTable* host_table;   // 0
  uint32_t plugin_handle;  // 4: the core's id of this plug-in
};

// ---------------------------------------------------------------------------
// Core functions. Each takes the table's own address first. The plug-in may
// call any of them from any core thread once Initialize has begun, never
// before; it does not serialise them.

// Performs the request and fills `response` before returning. The response
// owns its texts and is freed through its own release function.
using SendRequestFn = void (*)(HostTable* t, ResponseRecord* response, const RequestRecord* request);
// Index 1: the plug-in forwards two words here but never calls it.
using ReservedHostFn = void (*)(HostTable* t, uintptr_t first, uintptr_t second);
// Copies the event before returning; the caller frees its record afterwards.
using PublishEventFn = void (*)(HostTable* t, const OutgoingEventRecord* event);
// Called by the core on one of its threads for each matching event; the
// record is valid during the call only.
using EventCallbackFn = void (*)(const IncomingEventRecord* event);
// Records `callback` and `context` under `name` for this plug-in; the text
// is only valid during the call. `flag` is 0 for resource events and 1 for
// service-proxy answers.
using SubscribeEventFn = void (*)(HostTable* t, const char* name, uint32_t plugin_handle,
                                  EventCallbackFn callback, void* context, uint32_t flag);
// Stops deliveries of `name` to this plug-in.
using UnsubscribeEventFn = void (*)(HostTable* t, const char* name, uint32_t plugin_handle);
// Called once, on a core thread, with the context given at scheduling.
using TaskCallbackFn = void (*)(void* context);
// Runs `callback(context)` once on a core thread after `delay_seconds`
// (0 or more). `label` names the task and is only valid during the call.
// The context points into the plug-in object, so the core must not run a
// callback once it has called Shutdown, nor call Shutdown while one runs;
// callbacks still pending then are dropped (the plug-in frees their
// records with the object).
using ScheduleCallbackFn = void (*)(HostTable* t, const char* label, TaskCallbackFn callback,
                                    void* context, double delay_seconds, uint32_t reserved);
// Runs pending core work for this plug-in on the calling thread.
using PumpHostFn = void (*)(HostTable* t);
// Bracket a blocking wait; `label` names what is waited for.
using BeginWaitFn = void (*)(HostTable* t, const char* label, uint32_t reserved);
using EndWaitFn = void (*)(HostTable* t);
// Takes one log line; the text is only valid during the call.
using WriteLogFn = void (*)(HostTable* t, uint32_t level, const char* text);

struct HostTable {
  SendRequestFn send_request;            // 0
  ReservedHostFn reserved;               // 4
  PublishEventFn publish_event;          // 8
  SubscribeEventFn subscribe_event;      // 12
  UnsubscribeEventFn unsubscribe_event;  // 16
  ScheduleCallbackFn schedule_callback;  // 20
  PumpHostFn pump_host;                  // 24
  BeginWaitFn begin_wait;                // 28
  EndWaitFn end_wait;                    // 32
  WriteLogFn write_log;                  // 36
};

// Written by GetMemoryStats: six 64-bit counters (low word first), then
// two words of 0.
struct MemoryStats {
  uint64_t peak_bytes_in_use;           // 0: largest bytes allocated minus freed
  uint64_t allocations_at_peak;         // 8: allocations minus frees at that peak
  uint64_t total_bytes_allocated;       // 16
  uint64_t total_allocations;           // 24
  uint64_t total_bytes_freed;           // 32
  uint64_t total_frees;                 // 40
  uint32_t reserved[2];                 // 48: always 0
};

#pragma pack(pop)

// The core calls this, once, on the thread that loaded the module.
extern "C" void load_kel_champions(PluginHostRecord* record);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(PluginApiVersion) == 12);
static_assert(sizeof(PluginHostRecord) == 28);
static_assert(offsetof(PluginHostRecord, api_minor) == 4);
static_assert(offsetof(PluginHostRecord, api_patch) == 8);
static_assert(offsetof(PluginHostRecord, callbacks) == 12);
static_assert(offsetof(PluginHostRecord, context) == 16);
static_assert(offsetof(PluginHostRecord, short_name) == 20);
static_assert(offsetof(PluginHostRecord, api_description) == 24);
static_assert(sizeof(PluginCallbacks) == 12);
static_assert(offsetof(PluginCallbacks, shutdown) == 4);
static_assert(offsetof(PluginCallbacks, get_memory_stats) == 8);
static_assert(sizeof(HostServices) == 8);
static_assert(offsetof(HostServices, plugin_handle) == 4);
static_assert(sizeof(HostTable) == 40);
static_assert(offsetof(HostTable, reserved) == 4);
static_assert(offsetof(HostTable, publish_event) == 8);
static_assert(offsetof(HostTable, subscribe_event) == 12);
static_assert(offsetof(HostTable, unsubscribe_event) == 16);
static_assert(offsetof(HostTable, schedule_callback) == 20);
static_assert(offsetof(HostTable, pump_host) == 24);
static_assert(offsetof(HostTable, begin_wait) == 28);
static_assert(offsetof(HostTable, end_wait) == 32);
static_assert(offsetof(HostTable, write_log) == 36);
static_assert(sizeof(MemoryStats) == 56);
static_assert(offsetof(MemoryStats, total_frees) == 40);
static_assert(offsetof(MemoryStats, reserved) == 48);
#else
static_assert(sizeof(PluginHostRecord) == 44);
static_assert(sizeof(HostServices) == 12);
static_assert(sizeof(PluginCallbacks) == 24);
static_assert(sizeof(HostTable) == 80);
static_assert(sizeof(MemoryStats) == 56);
#endif

}  // namespace kel
