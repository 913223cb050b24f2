// The plug-in object as the lower layers see it: the calls into the core's
// HostTable the plug-in makes, the core's handle for this plug-in and the
// registry that converts what crosses. api/ and async/ take it by reference,
// so they need nothing from runtime/ but this header; like the *_abi.h
// records it may be included from any layer. SubscriptionCore and AppModule
// implement it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/host_abi.h"

namespace kel {

class BindingRegistry;

// The virtual operations are declared in the plug-in object's documented
// slot order, so a class derived from AppModule finds them where it expects:
// the subscription core's own four first (slots 0-3), then the nine
// forwarders to HostTable indices 0-8 (slots 4-12).
class CorePort {
 public:
  CorePort(const CorePort&) = delete;
  CorePort& operator=(const CorePort&) = delete;

  // Slots 0-1: counted resource subscriptions (SubscriptionCore).
  virtual void SubscribeResourceEvent(std::string_view resourcePath) = 0;
  virtual void UnsubscribeResourceEvent(std::string_view resourcePath) = 0;
  // Slot 2.
  virtual ~CorePort() = default;
  // Slot 3: ends every subscription (SubscriptionCore).
  virtual void Stop() = 0;

  // Slots 4-12: HostTable indices 0-8, in table order (AppModule). Any
  // thread may call them once Initialize has begun; before it they log an
  // error and call nothing.
  virtual void SendRequest(ResponseRecord* response, const RequestRecord* request) = 0;
  virtual void CallReservedHostFunction(uintptr_t first, uintptr_t second) = 0;
  virtual void PublishEvent(const OutgoingEventRecord* event) = 0;
  virtual void SubscribeEvent(const char* name, uint32_t plugin_handle, EventCallbackFn callback, void* context,
                              uint32_t flag) = 0;
  virtual void UnsubscribeEvent(const char* name, uint32_t plugin_handle) = 0;
  virtual void ScheduleCallback(const char* label, TaskCallbackFn callback, void* context, double delay_seconds,
                                uint32_t reserved) = 0;
  virtual void PumpHost() = 0;
  virtual void BeginWait(const std::string& label, uint32_t reserved) = 0;
  virtual void EndWait() = 0;

  // The registry every value crossing the port is converted with; set at
  // entry, before the first call through the port.
  const BindingRegistry& Registry() const { return *conversion_registry_; }
  // The core's id of this plug-in, 0 until Initialize.
  uint32_t PluginHandle() const { return plugin_handle_; }

 protected:
  CorePort() = default;

  const BindingRegistry* conversion_registry_ = nullptr;
  uint32_t plugin_handle_ = 0;
};

}  // namespace kel
