// A plug-in object entered and initialized against a FakeCore, for the
// tests.
#pragma once

#include <string>

#include "binding/binding_value.h"
#include "runtime/app_module.h"
#include "support/core_events.h"
#include "support/fake_core.h"

namespace kel::testing {

class TestPlugin {
 public:
  TestPlugin() {
    PluginHostRecord record{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
    module.Enter(record, "kel-champions");
    module.Initialize(&core.services());
  }

  FakeCore core;
  AppModule module;
};

inline BindingValue ServiceProxyPayload(const std::string& uuid, const std::string& service, const std::string& method,
                                        const std::string& payloadText) {
  BindingValue payload;
  payload.Member("uuid").SetString(uuid);
  payload.Member("serviceName").SetString(service);
  payload.Member("methodName").SetString(method);
  payload.Member("payload").SetString(payloadText);
  payload.Member("status").SetString("ok");
  payload.Member("error").SetString("");
  return payload;
}

}  // namespace kel::testing
