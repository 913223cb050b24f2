#include "champions/published_event.h"

#include <cstring>

#include "binding/binding_registry.h"
#include "runtime/event_abi.h"
#include "runtime/event_names.h"
#include "runtime/subscription_core.h"

namespace kel::champions {

std::unique_ptr<WrittenEvent> WriteResourceEvent(const BindingRegistry& registry,
                                                 const PendingPublication::Event& event) {
  auto written = std::make_unique<WrittenEvent>();
  written->uri = event.uri;
  HostValueArena arena;
  HostValueWriter writer(arena, registry);
  // The record with empty data has its "data" member, null, in place.
  const PluginResourceEvent record{event.uri, event.type, BindingValue()};
  WriteHostValue(writer, written->payload, record);
  HostValue* data = nullptr;
  if (writer.Ok() && written->payload.kind == kHostValueMap) {
    auto* entries = static_cast<HostValueMapEntry*>(const_cast<void*>(written->payload.payload.reference.pointer));
    for (std::uint32_t i = 0; i < written->payload.payload.reference.count; ++i) {
      if (std::strcmp(entries[i].key, "data") == 0) data = &entries[i].value;
    }
  }
  if (data != nullptr) event.payload->Write(writer, *data);
  if (data == nullptr || !writer.Ok()) {
    std::memset(&written->payload, 0, sizeof written->payload);
    return nullptr;
  }
  arena.HandOverTo(written->payload);
  return written;
}

void PublishResourceEvent(SubscriptionCore& plugin, std::string_view eventName, const WrittenEvent& event) {
  const std::string specificName = ResourceEventName(event.uri);
  OutgoingEventRecord record;
  std::memset(&record, 0, sizeof(record));
  record.payload = event.payload;
  record.name = specificName.c_str();
  plugin.PublishEvent(&record);
  if (eventName != specificName) {
    const std::string generalName(eventName);
    record.name = generalName.c_str();
    plugin.PublishEvent(&record);
  }
}

}  // namespace kel::champions
