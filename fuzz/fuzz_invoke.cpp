// Requests from the core through the real invoke entry of every function
// the plug-in describes, against an inventory loaded from a small generated
// world: any method (custom ones included), path and query, headers,
// content type, body and arguments. The response must be well formed and is
// read to its end and released as the core does.
//
// Input: function selector byte, method byte, nullable path, header count
// and pairs of nullable texts, nullable content type, nullable body,
// argument count and (nullable name, HostValue) pairs, nullable custom
// method, u32 request token.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "api/api_description_abi.h"
#include "datagen/generated_world.h"
#include "support/byte_source.h"
#include "support/core_requests.h"
#include "support/host_value_bytes.h"
#include "support/load_sequence.h"

namespace {

constexpr uint64_t kMaxHeaders = 64;
constexpr uint64_t kMaxArguments = 16;

struct LoadedPlugin {
  LoadedPlugin() {
    kel::datagen::WorldOptions options;
    options.championCount = 3;
    const kel::datagen::GeneratedWorld world(19, options);
    script.AnswerJson("/kel-login/v1/session", R"({"state":"SUCCEEDED","summonerId":5,"accountId":6})");
    script.AnswerJson("/kel-game-data/assets/v1/champion-summary.json", world.ChampionSummaryJson());
    for (const kel::datagen::GameChampion& champion : world.Champions()) {
      script.AnswerJson("/kel-game-data/assets/v1/champions/" + std::to_string(champion.id) + ".json",
                        world.ChampionJson(champion.id));
    }
    script.AnswerJson("/kel-login/v1/session/invoke", world.OwnershipReplyJson(5, 1'800'000'000'000));
    kel::fuzz::RunLoadSequence(rig);
  }
  kel::fuzz::PluginRig rig;
  kel::testing::RequestScript script{rig.core, {kel::BindingValue(), "Not found", 404}};
};

const char* Text(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

// Reads a streamed answer to its end as the core would, then closes it.
void DrainBody(kel::ResponseRecord& response) {
  if (response.read_body == nullptr) {
    if (response.body_stream != nullptr) std::abort();
    return;
  }
  char buffer[4096];
  for (int reads = 0; reads < (1 << 16); ++reads) {
    uint32_t length = sizeof(buffer);
    uint8_t more = 0;
    const uint32_t ok = response.read_body(response.body_stream, reinterpret_cast<uintptr_t>(buffer),
                                           reinterpret_cast<uintptr_t>(&length), reinterpret_cast<uintptr_t>(&more));
    if (length > sizeof(buffer)) std::abort();
    if (ok == 0 || more == 0) break;
  }
  if (response.release_body != nullptr) response.release_body(response.body_stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static LoadedPlugin* const plugin = new LoadedPlugin;
  const kel::ApiDescription& description = plugin->rig.Description();
  if (description.function_count == 0) std::abort();

  kel::fuzz::ByteSource source(data, size);
  kel::fuzz::HostValueArena arena;
  const kel::FunctionDescriptor& function = description.functions[source.U8() % description.function_count];
  const uint32_t method = source.U8();
  const std::optional<std::string> path = source.NullableBytes();
  std::vector<std::optional<std::string>> header_texts;
  const uint64_t header_count = source.Count(kMaxHeaders);
  for (uint64_t i = 0; i < 2 * header_count; ++i) header_texts.push_back(source.NullableBytes());
  std::vector<kel::RequestHeaderEntry> headers;
  for (uint64_t i = 0; i < header_count; ++i)
    headers.push_back({Text(header_texts[2 * i]), Text(header_texts[2 * i + 1])});
  const std::optional<std::string> content_type = source.NullableBytes();
  const std::optional<std::string> body = source.NullableBytes();
  const uint64_t argument_count = source.Count(kMaxArguments);
  std::vector<std::optional<std::string>> argument_names;
  std::vector<kel::RequestArgumentEntry> arguments;
  for (uint64_t i = 0; i < argument_count; ++i) {
    argument_names.push_back(source.NullableBytes());
    arguments.push_back({nullptr, arena.Read(source)});
  }
  for (uint64_t i = 0; i < argument_count; ++i) arguments[i].name = Text(argument_names[i]);
  const std::optional<std::string> custom_method = source.NullableBytes();

  kel::RequestRecord request{};
  request.method = method;
  request.path = Text(path);
  request.arguments = arguments.empty() ? nullptr : arguments.data();
  request.argument_count = static_cast<uint32_t>(arguments.size());
  request.invoke_context = function.description.invoke_context;
  request.headers = headers.empty() ? nullptr : headers.data();
  request.header_count = static_cast<uint32_t>(headers.size());
  request.content_type = Text(content_type);
  request.body = body ? reinterpret_cast<const uint8_t*>(body->data()) : nullptr;
  request.body_length = body ? static_cast<uint32_t>(body->size()) : 0;
  request.request_token = source.U32();
  request.custom_method = Text(custom_method);

  kel::ResponseRecord response{};
  function.invoke(&response, &request);
  if (response.release == nullptr) std::abort();
  if ((response.has_error != 0) != (response.error_message != nullptr)) std::abort();
  DrainBody(response);
  response.release(&response);
  return 0;
}
