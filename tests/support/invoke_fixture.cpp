#include "support/invoke_fixture.h"

#include "api/invoke.h"

namespace kel::testing {

namespace {
struct EchoState final : CallState {
  std::vector<BindingValue> arguments;
};
}  // namespace

std::unique_ptr<CallState> EchoHandler::Prepare(CallResult&, std::span<BindingValue> arguments, uint32_t) {
  auto state = std::make_unique<EchoState>();
  state->arguments.assign(arguments.begin(), arguments.end());
  return state;
}

void EchoHandler::Run(CallResult& call, const RequestInfo*, CallState& state, uint32_t) {
  const auto& arguments = static_cast<EchoState&>(state).arguments;
  call.result.Value().MakeStructure();
  for (size_t i = 0; i < names_.size(); ++i) call.result.Value().Member(names_[i]) = arguments[i];
}

const FunctionRecord& InvokeTest::Echo(RequestMethod method, std::string path_template,
                                       std::vector<FunctionParameter> parameters) {
  FunctionDefinition definition;
  definition.method = method;
  definition.path_template = std::move(path_template);
  std::vector<std::string> names;
  for (const FunctionParameter& parameter : parameters) names.push_back(parameter.name);
  definition.parameters = std::move(parameters);
  definition.handler = std::make_unique<EchoHandler>(std::move(names));
  return table_.Register(std::move(definition));
}

TestAnswer InvokeTest::Invoke(const FunctionRecord& function, const TestRequest& request) {
  const InvokeContext context{&registry_, &function};
  std::vector<RequestHeaderEntry> headers;
  for (const auto& [name, value] : request.headers) headers.push_back({name.c_str(), value.c_str()});
  RequestRecord record = {};
  record.method = static_cast<uint32_t>(request.method);
  record.path = request.path.c_str();
  record.arguments = request.arguments.empty() ? nullptr : request.arguments.data();
  record.argument_count = static_cast<uint32_t>(request.arguments.size());
  record.invoke_context = &context;
  record.headers = headers.empty() ? nullptr : headers.data();
  record.header_count = static_cast<uint32_t>(headers.size());
  record.content_type = request.content_type;
  record.body = request.has_body ? request.body.data() : nullptr;
  record.body_length = static_cast<uint32_t>(request.body.size());
  record.request_token = request.token;
  record.custom_method = request.custom_method;

  return CallInvoke(&InvokeFunction, record);
}

TestAnswer InvokeTest::Get(const FunctionRecord& function, std::string path) {
  TestRequest request;
  request.path = std::move(path);
  return Invoke(function, request);
}

}  // namespace kel::testing
