#include "runtime/drov_call.h"

#include "serialization/json_writer.h"

namespace kel::drov_detail {

MaybeType<Failure, PluginDrovResponse> Invoke(SubscriptionCore& plugin, std::string_view destination,
                                              std::string_view method, const std::vector<BindingValue>& arguments) {
  return Fetch<PluginDrovResponse>(plugin, RequestMethod::kPost, kDrovInvokeUrl, destination, method, arguments);
}

std::optional<Failure> CheckReplyClass(const SubscriptionCore& plugin, const StaticTypeId& resultType,
                                       const PluginDrovResponse& reply, std::string_view destination,
                                       std::string_view method) {
  const std::optional<std::string> expected = plugin.DrovClasses().Find(resultType.identifier);
  if (!expected || *expected == reply.typeName) return std::nullopt;
  return Failure::FromTemplate(
      0, "Expected '{expected}' as DROV response for {destination}.{method}, but got '{actual}'",
      {{"expected", *expected}, {"destination", destination}, {"method", method}, {"actual", reply.typeName}});
}

Failure ConversionFailure(const SubscriptionCore& plugin, const StaticTypeId& resultType, const BindingValue& body) {
  const std::string json = WriteJson(body, plugin.Registry());
  return Failure::FromTemplate(0, "Couldn't convert DROV DTO {name} to C++ from {json}",
                               {{"name", resultType.Name()}, {"json", json}});
}

}  // namespace kel::drov_detail
