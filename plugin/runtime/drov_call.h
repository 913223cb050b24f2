#pragma once

// Calls to the DROV remote service through the login plug-in's relay, and
// typed subscriptions to the messages it pushes.

#include <functional>
#include <future>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "api/maybe_type.h"
#include "api/outbound_request.h"
#include "async/await.h"
#include "binding/binding_registry.h"
#include "runtime/subscription_core.h"

namespace kel {

inline constexpr std::string_view kDrovInvokeUrl = "/kel-login/v1/session/invoke";

namespace drov_detail {

// POSTs the call to the relay and returns its reply.
MaybeType<Failure, PluginDrovResponse> Invoke(SubscriptionCore& plugin, std::string_view destination,
                                              std::string_view method, const std::vector<BindingValue>& arguments);
// A failure when a class name is registered for the result type and the
// reply is of another class.
std::optional<Failure> CheckReplyClass(const SubscriptionCore& plugin, const StaticTypeId& resultType,
                                       const PluginDrovResponse& reply, std::string_view destination,
                                       std::string_view method);
Failure ConversionFailure(const SubscriptionCore& plugin, const StaticTypeId& resultType, const BindingValue& body);

template <typename T>
MaybeType<Failure, T> InvokeNow(SubscriptionCore& plugin, std::string_view destination, std::string_view method,
                                const std::vector<BindingValue>& arguments) {
  MaybeType<Failure, PluginDrovResponse> reply = Invoke(plugin, destination, method, arguments);
  if (reply.IsFailure()) return std::move(reply).GetFailure();
  if (reply.Value().body.IsEmpty()) return T{};
  const StaticTypeId& resultType = StaticTypeOf<T>();
  if (std::optional<Failure> mismatch = CheckReplyClass(plugin, resultType, reply.Value(), destination, method)) {
    return *std::move(mismatch);
  }
  T result{};
  BindingResult assigned;
  plugin.Registry().Assign(assigned, result, reply.Value().body, "<value>");
  if (!assigned.Ok()) return ConversionFailure(plugin, resultType, reply.Value().body);
  return result;
}

}  // namespace drov_detail

// Calls `method` of the remote `destination` with `arguments` and converts
// the reply's body into T (a list of wire records). The request is
// synchronous, so the future is complete when it is returned. An empty body
// is an empty T; a reply of another class than the one registered for T, or
// a body that does not convert, is a failure.
template <typename T>
std::future<MaybeType<Failure, T>> InvokeDrov(SubscriptionCore& plugin, std::string_view destination,
                                              std::string_view method, const std::vector<BindingValue>& arguments) {
  std::promise<MaybeType<Failure, T>> promise;
  std::future<MaybeType<Failure, T>> future = promise.get_future();
  promise.set_value(drov_detail::InvokeNow<T>(plugin, destination, method, arguments));
  return future;
}

// InvokeDrov without arguments, awaited.
template <typename T>
MaybeType<Failure, T> CallDrov(SubscriptionCore& plugin, std::string_view destination, std::string_view method) {
  std::future<MaybeType<Failure, T>> future = InvokeDrov<T>(plugin, destination, method, {});
  return AwaitFuture(plugin, future, StaticTypeOf<MaybeType<Failure, T>>().Name());
}

// Hands every pushed message of the class, converted into Dto, to `handler`
// in a task of its own (never inside the core's event callback). A message
// whose body does not convert is dropped.
template <typename Dto>
void SubscribeDrovMessages(SubscriptionCore& plugin, std::string className, std::function<void(const Dto&)> handler) {
  plugin.SubscribeDrovClass(std::move(className),
                            [&plugin, handler = std::move(handler)](const PluginDrovEvent& message) {
                              Dto dto{};
                              BindingResult assigned;
                              plugin.Registry().Assign(assigned, dto, message.body, "<value>");
                              if (assigned.Ok()) handler(dto);
                            });
}

}  // namespace kel
