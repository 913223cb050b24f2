#pragma once

// The records and enums the runtime registers in the namespace "hclient":
// the payloads of resource events, DROV messages, DROV replies and
// service-proxy answers, and the plug-in manager's state resource.

#include <cstdint>
#include <string>

#include "binding/binding_value.h"

namespace kel {

enum class PluginManagerState : std::int32_t {
  NotReady = 0,
  PluginsInitialized = 1,
};

struct PluginManagerResource {
  PluginManagerState state = PluginManagerState::NotReady;
};

enum class PluginResourceEventType : std::int32_t {
  Create = 0,
  Update = 1,
  Delete = 2,
};

// A change of a resource of some plug-in.
struct PluginResourceEvent {
  std::string uri;
  PluginResourceEventType eventType = PluginResourceEventType::Create;
  BindingValue data;
};

// A message pushed by the DROV service; typeName is its wire class name.
struct PluginDrovEvent {
  std::string clientId;
  std::string subtopic;
  std::string typeName;
  BindingValue body;
};

// The reply of a DROV call, as the login plug-in's relay returns it.
struct PluginDrovResponse {
  std::string typeName;
  BindingValue body;
};

// A service-proxy answer relayed by the core.
struct PluginServiceProxyResponse {
  std::string uuid;
  std::string serviceName;
  std::string methodName;
  std::string payload;
  std::string status;
  std::string error;
};

}  // namespace kel
