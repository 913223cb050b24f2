#pragma once

// Requests to other plug-ins' resources through the core's SendRequest, and
// resource events through its PublishEvent. Each call runs on the caller's
// thread and blocks it until the core has the whole response; none of them
// retries or logs: failures come back as values for the caller to judge.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "api/host_response.h"
#include "api/maybe_type.h"
#include "api/request_codes.h"
#include "binding/binding_registry.h"
#include "runtime/core_port.h"

namespace kel {

namespace outbound_detail {

// The request's parameters as binding values, in order, or the message of
// the first one that did not convert.
struct Parameters {
  std::vector<BindingValue> values;
  std::optional<std::string> error;
};

inline void Add(const BindingRegistry&, Parameters& out, std::string_view text) {
  out.values.emplace_back().SetString(text);
}
inline void Add(const BindingRegistry&, Parameters& out, const char* text) {
  out.values.emplace_back().SetString(text);
}
inline void Add(const BindingRegistry&, Parameters& out, const std::string& text) {
  out.values.emplace_back().SetString(std::string_view(text));
}
// A list becomes one collection parameter of its elements, in order.
void Add(const BindingRegistry&, Parameters& out, const std::vector<BindingValue>& list);
// Named texts become one structure parameter with a member per name.
void Add(const BindingRegistry&, Parameters& out, const std::map<std::string, std::string>& named);
// A record goes through the type registry.
template <typename Record>
void Add(const BindingRegistry& registry, Parameters& out, const Record& record) {
  BindingResult value;
  registry.ToValue(value, record);
  if (!value.Ok()) {
    out.error = std::string(value.Message());
    return;
  }
  out.values.push_back(std::move(value.Value()));
}

MaybeType<Failure, Nothing> SendParameters(CorePort& plugin, HostResponse& response, RequestMethod method,
                                           std::string_view url, Parameters parameters);
// The body of a filled response (streamed or inline) as a binding value.
MaybeType<Failure, BindingValue> ReadBody(CorePort& plugin, const HostResponse& response, RequestMethod method,
                                          std::string_view url);
Failure ResponseConversionFailure(RequestMethod method, std::string_view url, std::string_view error);

}  // namespace outbound_detail

// Sends a request with positional parameters: texts, a list of binding
// values, or registered records (the plug-in's forms are none; one record;
// and text, text, list). A parameter that does not convert fails with code
// 400 before anything is sent; an error message from the core fails with the
// response's status as the code. The status alone never fails a request.
// The response stays with the caller, who must not read it after releasing.
template <typename... Params>
MaybeType<Failure, Nothing> Send(CorePort& plugin, HostResponse& response, RequestMethod method, std::string_view url,
                                 const Params&... params) {
  outbound_detail::Parameters parameters;
  parameters.values.reserve(sizeof...(Params));
  ((parameters.error ? void() : outbound_detail::Add(plugin.Registry(), parameters, params)), ...);
  return outbound_detail::SendParameters(plugin, response, method, url, std::move(parameters));
}

// Sends a request and converts its body (inline, or streamed as JSON) into
// T through the type registry, under the name "<result>".
template <typename T, typename... Params>
MaybeType<Failure, T> Fetch(CorePort& plugin, RequestMethod method, std::string_view url, const Params&... params) {
  HostResponse response;
  MaybeType<Failure, Nothing> sent = Send(plugin, response, method, url, params...);
  if (sent.IsFailure()) return std::move(sent).GetFailure();
  MaybeType<Failure, BindingValue> body = outbound_detail::ReadBody(plugin, response, method, url);
  if (body.IsFailure()) return std::move(body).GetFailure();
  if constexpr (std::is_same_v<T, BindingValue>) {
    return std::move(body).Value();
  } else {
    T result{};
    BindingResult assigned;
    plugin.Registry().Assign(assigned, result, body.Value(), "<result>");
    if (!assigned.Ok()) return outbound_detail::ResponseConversionFailure(method, url, assigned.Message());
    return result;
  }
}

// Sends a request with one record and ignores the response's body.
template <typename Record>
MaybeType<Failure, Nothing> Post(CorePort& plugin, RequestMethod method, std::string_view url, const Record& record) {
  HostResponse response;
  return Send(plugin, response, method, url, record);
}

}  // namespace kel
