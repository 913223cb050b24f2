#pragma once
// A resource event written straight to the core's form: the
// PluginResourceEvent record with the native payload as its data, without a
// binding tree or a copy of one, in one arena. The same HostValue goes out
// under both of the event's names.

#include <memory>
#include <string>
#include <string_view>

#include "binding/host_value_arena.h"
#include "champions/pending_publication.h"

namespace kel {
class BindingRegistry;
class SubscriptionCore;
}  // namespace kel

namespace kel::champions {

struct WrittenEvent {
  ~WrittenEvent() { ReleaseArenaHostValue(payload); }
  std::string uri;
  HostValue payload{};
};

// Null when the payload does not convert.
std::unique_ptr<WrittenEvent> WriteResourceEvent(const BindingRegistry& registry,
                                                 const PendingPublication::Event& event);

// Publishes under the name derived from the uri, then under `eventName`
// when that differs.
void PublishResourceEvent(SubscriptionCore& plugin, std::string_view eventName, const WrittenEvent& event);

}  // namespace kel::champions
