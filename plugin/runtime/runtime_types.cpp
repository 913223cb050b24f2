// The runtime's own bound types and events, registered at entry before the
// plug-in's routes so that event payloads can be converted.
#include "binding/binding_registry.h"
#include "runtime/event_names.h"
#include "runtime/subscription_core.h"

namespace kel {
namespace {

constexpr std::string_view kRuntimeNamespace = "hclient";

void DescribeEvent(BindingRegistry& registry, std::string_view name, const BindingTypeInfo* payload,
                   std::string_view description) {
  BindingEventInfo& event = registry.RegisterEvent(name, payload);
  event.nameSpace = std::string(kRuntimeNamespace);
  event.description = std::string(description);
}

}  // namespace

void SubscriptionCore::RegisterRuntimeTypes(BindingRegistry& registry) {
  conversion_registry_ = &registry;
  registry.RegisterType<PluginManagerState>("PluginManagerState")
      .SetNamespace(kRuntimeNamespace)
      .AddEnumerator("NotReady", 0)
      .AddEnumerator("PluginsInitialized", 1);
  registry.RegisterType<PluginManagerResource>("PluginManagerResource")
      .SetNamespace(kRuntimeNamespace)
      .AddField("state", &PluginManagerResource::state);
  registry.RegisterType<PluginResourceEventType>("PluginResourceEventType")
      .SetNamespace(kRuntimeNamespace)
      .AddEnumerator("Create", 0)
      .AddEnumerator("Update", 1)
      .AddEnumerator("Delete", 2);
  const BindingTypeInfo* resourceEvent = registry.RegisterType<PluginResourceEvent>("PluginResourceEvent")
                                             .SetNamespace(kRuntimeNamespace)
                                             .AddField("uri", &PluginResourceEvent::uri)
                                             .AddField("eventType", &PluginResourceEvent::eventType)
                                             .AddField("data", &PluginResourceEvent::data)
                                             .Info();
  const BindingTypeInfo* drovEvent = registry.RegisterType<PluginDrovEvent>("PluginDrovEvent")
                                         .SetNamespace(kRuntimeNamespace)
                                         .AddField("clientId", &PluginDrovEvent::clientId)
                                         .AddField("subtopic", &PluginDrovEvent::subtopic)
                                         .AddField("typeName", &PluginDrovEvent::typeName)
                                         .AddField("body", &PluginDrovEvent::body)
                                         .Info();
  registry.RegisterType<PluginDrovResponse>("PluginDrovResponse")
      .SetNamespace(kRuntimeNamespace)
      .AddField("typeName", &PluginDrovResponse::typeName)
      .AddField("body", &PluginDrovResponse::body);
  const BindingTypeInfo* serviceProxyResponse =
      registry.RegisterType<PluginServiceProxyResponse>("PluginServiceProxyResponse")
          .SetNamespace(kRuntimeNamespace)
          .AddField("uuid", &PluginServiceProxyResponse::uuid)
          .AddField("serviceName", &PluginServiceProxyResponse::serviceName)
          .AddField("methodName", &PluginServiceProxyResponse::methodName)
          .AddField("payload", &PluginServiceProxyResponse::payload)
          .AddField("status", &PluginServiceProxyResponse::status)
          .AddField("error", &PluginServiceProxyResponse::error)
          .Info();
  DescribeEvent(registry, kJsonApiEventName, resourceEvent, "Fired when a resource is changed.");
  DescribeEvent(registry, "OnDrovEvent", drovEvent, "Fired when a message is received over the DROV connection.");
  DescribeEvent(registry, "OnServiceProxyUuidEvent", serviceProxyResponse,
                "Fired when a uuid-based service proxy message is received.");
  DescribeEvent(registry, "OnServiceProxyMethodEvent", serviceProxyResponse,
                "Fired when a method-based service proxy message is received.");
  DescribeEvent(registry, "OnServiceProxyAsyncEvent", serviceProxyResponse,
                "Fired when an async service proxy message is received.");
}

}  // namespace kel
