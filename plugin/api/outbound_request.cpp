#include "api/outbound_request.h"

#include <cstring>

#include "api/call_result.h"
#include "api/streamed_body.h"
#include "binding/host_value_conversion.h"

namespace kel::outbound_detail {
namespace {

// HostValues built by the plug-in for one call to the core, released when
// the call is over.
class OwnedHostValues {
 public:
  explicit OwnedHostValues(std::size_t count) : values_(count) {}
  ~OwnedHostValues() {
    for (HostValue& value : values_) ReleaseHostValue(value);
  }
  OwnedHostValues(const OwnedHostValues&) = delete;
  OwnedHostValues& operator=(const OwnedHostValues&) = delete;
  HostValue& operator[](std::size_t i) { return values_[i]; }

 private:
  std::vector<HostValue> values_;
};

Failure ParameterFailure(RequestMethod method, std::string_view url, std::string_view error) {
  return Failure::FromTemplate(kStatusBadRequest,
                               "Request not sent: Error converting parameters for {method} {url}: {error}",
                               {{"method", MethodText(method)}, {"url", url}, {"error", error}});
}

}  // namespace

void Add(const BindingRegistry&, Parameters& out, const std::vector<BindingValue>& list) {
  BindingValue& collection = out.values.emplace_back();
  collection.MakeCollection();
  collection.Reserve(list.size());
  for (const BindingValue& element : list) collection.Append() = element;
}

void Add(const BindingRegistry&, Parameters& out, const std::map<std::string, std::string>& named) {
  BindingValue& structure = out.values.emplace_back();
  structure.MakeStructure();
  for (const auto& [name, text] : named) structure.Member(name).SetString(std::string_view(text));
}

MaybeType<Failure, Nothing> SendParameters(CorePort& plugin, HostResponse& response, RequestMethod method,
                                           std::string_view url, Parameters parameters) {
  if (parameters.error) return ParameterFailure(method, url, *parameters.error);
  const std::size_t count = parameters.values.size();
  OwnedHostValues hostValues(count);
  std::vector<RequestArgumentEntry> arguments(count);
  for (std::size_t i = 0; i < count; ++i) {
    BindingResult converted;
    ToHostValue(converted, parameters.values[i], hostValues[i], &plugin.Registry());
    if (!converted.Ok()) return ParameterFailure(method, url, converted.Message());
    arguments[i].name = nullptr;
    arguments[i].value = hostValues[i];
  }
  const std::string urlText(url);
  RequestRecord request;
  std::memset(&request, 0, sizeof(request));
  request.method = static_cast<std::uint32_t>(MethodFromWire(static_cast<std::uint32_t>(method)));
  request.path = urlText.c_str();
  request.arguments = count == 0 ? nullptr : arguments.data();
  request.argument_count = static_cast<std::uint32_t>(count);
  request.request_token = plugin.PluginHandle();
  plugin.SendRequest(&response.Record(), &request);

  const ResponseRecord& filled = response.Record();
  if (filled.error_message != nullptr) {
    return Failure::FromTemplate(static_cast<std::int32_t>(filled.status), "Error response for {method} {url}: {error}",
                                 {{"method", MethodText(method)}, {"url", url}, {"error", filled.error_message}});
  }
  return Nothing{};
}

MaybeType<Failure, BindingValue> ReadBody(CorePort& plugin, const HostResponse& response, RequestMethod method,
                                          std::string_view url) {
  const ResponseRecord& record = response.Record();
  if (record.read_body != nullptr) {
    BindingResult streamed = ReadStreamedBody(plugin, record);
    if (!streamed.Ok()) {
      return Failure::FromTemplate(0, "Error reading streamed response for {method} {url}: {error}",
                                   {{"method", MethodText(method)}, {"url", url}, {"error", streamed.Message()}});
    }
    return std::move(streamed.Value());
  }
  BindingResult inline_body;
  FromHostValue(inline_body, record.result, "<result>");
  if (!inline_body.Ok()) return ResponseConversionFailure(method, url, inline_body.Message());
  return std::move(inline_body.Value());
}

Failure ResponseConversionFailure(RequestMethod method, std::string_view url, std::string_view error) {
  return Failure::FromTemplate(0, "Error converting response for {method} {url}: {error}",
                               {{"method", MethodText(method)}, {"url", url}, {"error", error}});
}

}  // namespace kel::outbound_detail
