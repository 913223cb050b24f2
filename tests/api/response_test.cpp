// The response record: what the invoke entry copies into it, what the core
// reads from it, and its release; and the API description built for the core
// (the host's OpenAPI test reads the real plug-in's through the same records).
#include <cstring>

#include "api/api_description_block.h"
#include "api/invoke.h"
#include "api/response_writer.h"
#include "api/typed_handler.h"
#include "support/invoke_fixture.h"

namespace kel::testing {
namespace {

class CountingStream final : public ResponseBodyStream {
 public:
  explicit CountingStream(int& destroyed) : destroyed_(destroyed) {}
  ~CountingStream() override { ++destroyed_; }
  uint32_t Read(uintptr_t a, uintptr_t b, uintptr_t c) override { return static_cast<uint32_t>(a + b + c); }
  uint32_t Size() const override { return 1234; }

 private:
  int& destroyed_;
};

// Fills every member of the call result and records the request information.
class FullHandler final : public FunctionHandler {
 public:
  explicit FullHandler(int& destroyed) : destroyed_(destroyed) {}
  std::unique_ptr<CallState> Prepare(CallResult&, std::span<BindingValue>, uint32_t) override {
    return std::make_unique<CallState>();
  }
  void Run(CallResult& call, const RequestInfo* info, CallState&, uint32_t token) override {
    call.result.Value().SetString("value");
    call.flags = 7;
    call.format = 9;  // not a format: reported as the default
    call.status = 201;
    call.text = "hello";
    call.headers = {{"X-One", "1"}, {"X-Two", "2"}};
    call.body = std::make_unique<CountingStream>(destroyed_);
    seen_token = token;
    seen_path = info->path;
    seen_header = info->headers->at("h");
  }
  bool TakesRequestInfo() const override { return true; }

  uint32_t seen_token = 0;
  std::string seen_path;
  std::string seen_header;

 private:
  int& destroyed_;
};

TEST_F(InvokeTest, ResponseCarriesTheCallResultAndReleaseFreesWhatThePlugInPutIn) {
  int destroyed = 0;
  FunctionDefinition definition;
  definition.path_template = "/full";
  auto handler = std::make_unique<FullHandler>(destroyed);
  FullHandler* full = handler.get();
  definition.handler = std::move(handler);
  const FunctionRecord& function = table_.Register(std::move(definition));

  const InvokeContext context{&registry_, &function};
  const RequestHeaderEntry header{"h", "v"};
  RequestRecord request = {};
  request.method = static_cast<uint32_t>(RequestMethod::kGet);
  request.path = "/full?&";
  request.invoke_context = &context;
  request.headers = &header;
  request.header_count = 1;
  request.request_token = 99;
  ResponseRecord response = {};
  InvokeFunction(&response, &request);

  EXPECT_EQ(full->seen_token, 99u);
  EXPECT_EQ(full->seen_path, "/full?&");
  EXPECT_EQ(full->seen_header, "v");
  EXPECT_EQ(+response.error_message, nullptr);
  EXPECT_EQ(+response.flags, 7);
  EXPECT_EQ(+response.format, 0u);
  EXPECT_EQ(+response.status, 201u);
  EXPECT_STREQ(response.text, "hello");
  ASSERT_EQ(+response.header_count, 2u);
  EXPECT_STREQ(response.headers[1].value, "2");
  EXPECT_EQ(+response.body_size, 1234u);
  ASSERT_NE(+response.body_stream, nullptr);
  EXPECT_EQ(response.read_body(response.body_stream, 1, 2, 3), 6u);

  // The stream is the core's to release; the record's release leaves it.
  void* stream = response.body_stream;
  BodyStreamReleaseFn release_stream = response.release_body;
  response.release(&response);
  EXPECT_EQ(destroyed, 0);
  release_stream(stream);
  EXPECT_EQ(destroyed, 1);
}

// The champion route tests read the not-found answers.
TEST_F(InvokeTest, TheEmptyTextIsSharedAndNeverFreed) {
  CallResult call;
  ResponseRecord first = {}, second = {};
  WriteResponse(first, call, &registry_);
  WriteResponse(second, call, &registry_);
  EXPECT_EQ(+first.text, +second.text);  // the one shared text, never freed
  EXPECT_STREQ(first.text, "");
  ReleaseResponse(&first);
  ReleaseResponse(&second);
}

// Invoking through a descriptor's context is what every route test does.
TEST_F(InvokeTest, ApiDescriptionDescribesEveryFunction) {
  Echo(RequestMethod::kGet, "/one", {});
  RegisterRoute<std::vector<int32_t>, uint64_t, bool>(
      table_, {RequestMethod::kPost, "/two/{summonerId}/"},
      {{{"summonerId", ParameterLocation::kPath}, {"all", ParameterLocation::kQuery, true}}},
      [](uint64_t, bool) -> MaybeType<Failure, std::vector<int32_t>> { return std::vector<int32_t>{}; });
  ApiDescriptionBlock block;
  block.Build(table_);
  // Names, texts and types are read through the same records by the host's
  // OpenAPI test; here only the links and what the host cannot see.
  const ApiDescription& api = block.Description();
  ASSERT_EQ(+api.function_count, 2u);
  const FunctionDescriptor& two = api.functions[1];
  EXPECT_EQ(+two.description.next, nullptr);
  EXPECT_STREQ(two.path_template, "/two/{summonerId}");
  EXPECT_EQ(+two.description.arguments[0].next, &two.description.arguments[1]);
  EXPECT_EQ(+two.parameters->next->location, static_cast<uint32_t>(ParameterLocation::kQuery));
  EXPECT_EQ(+api.functions[0].parameters, nullptr);
}

}  // namespace
}  // namespace kel::testing
