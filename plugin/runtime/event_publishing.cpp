#include "runtime/event_publishing.h"

#include <cstring>
#include <string>

#include "binding/binding_registry.h"
#include "binding/host_value_conversion.h"
#include "runtime/event_abi.h"
#include "runtime/event_names.h"

namespace kel {

MaybeType<Failure, Nothing> SendEvent(CorePort& plugin, std::string_view eventName, const PluginResourceEvent& event,
                                      std::uint32_t word) {
  BindingResult value;
  plugin.Registry().ToValue(value, event);
  if (!value.Ok()) return Failure(0, std::string(value.Message()));
  const std::string specificName = ResourceEventName(event.uri);
  OutgoingEventRecord record;
  std::memset(&record, 0, sizeof(record));
  BindingResult payload;
  ToHostValue(payload, value.Value(), record.payload, &plugin.Registry());
  if (!payload.Ok()) return Failure(0, std::string(payload.Message()));
  record.name = specificName.c_str();
  record.word = word;
  plugin.PublishEvent(&record);
  if (eventName != specificName) {
    const std::string generalName(eventName);
    record.name = generalName.c_str();
    plugin.PublishEvent(&record);
  }
  ReleaseHostValue(record.payload);
  return Nothing{};
}

}  // namespace kel
