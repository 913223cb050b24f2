#pragma once

#include <functional>
#include <string>
#include <utility>

#include "api/outbound_request.h"
#include "binding/binding_registry.h"
#include "runtime/runtime_records.h"
#include "runtime/subscription_core.h"

namespace kel {

template <typename T>
using ResourceListener = std::function<void(PluginResourceEventType eventType, const T& data)>;

// Calls `listener` with every change of the resource, its data converted
// into T (a delete brings a default T; data that does not convert is
// dropped). For a path without "*" the current value is fetched at once and,
// when the fetch succeeds, handed over as a create event before this
// returns; a failed fetch is silent.
template <typename T>
void ListenToResource(SubscriptionCore& plugin, std::string resourcePath, ResourceListener<T> listener) {
  ResourceEventHandler typed = [&plugin, listener = std::move(listener)](const PluginResourceEvent& event) {
    T data{};
    if (event.eventType != PluginResourceEventType::Delete) {
      BindingResult assigned;
      plugin.Registry().Assign(assigned, data, event.data, "<value>");
      if (!assigned.Ok()) return;
    }
    listener(event.eventType, data);
  };
  const bool exact = resourcePath.find('*') == std::string::npos;
  plugin.AddResourceListener(resourcePath, typed);
  if (!exact) return;
  MaybeType<Failure, BindingValue> current = Fetch<BindingValue>(plugin, RequestMethod::kGet, resourcePath);
  if (current.IsFailure()) return;
  PluginResourceEvent initial;
  initial.uri = std::move(resourcePath);
  initial.eventType = PluginResourceEventType::Create;
  initial.data = std::move(current).Value();
  typed(initial);
}

}  // namespace kel
