// Writes the seed corpora of the boundary and differential targets from a
// small generated world, in each target's input form:
//   write-fuzz-seeds <corpus dir>   (fills <dir>/invoke, events, responses, differential)
// Rerun it when an input form or the world changes.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "api/api_description_abi.h"
#include "binding/host_value_conversion.h"
#include "datagen/generated_world.h"
#include "runtime/event_names.h"
#include "serialization/json_reader.h"
#include "support/byte_source.h"
#include "support/core_events.h"
#include "support/host_value_bytes.h"
#include "support/load_sequence.h"

namespace {

namespace fs = std::filesystem;
using kel::BindingValue;
using kel::fuzz::ByteSink;

constexpr uint64_t kSummoner = 5;
constexpr uint64_t kNowMs = 1'800'000'000'000;
constexpr const char* kSession = R"({"state":"SUCCEEDED","summonerId":5,"accountId":6})";
constexpr const char* kStoreClass = "com.tesselworks.platform.messaging.StoreFulfillmentNotification";
constexpr const char* kRentalClass = "com.tesselworks.platform.messaging.RentalUpdateNotification";

BindingValue Json(const std::string& text) { return kel::ParseJson(text.c_str()).Value(); }

void Save(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

kel::datagen::GeneratedWorld World() {
  kel::datagen::WorldOptions options;
  options.championCount = 3;
  return kel::datagen::GeneratedWorld(19, options);
}

// The answer the generated world gives for a URL, as an inline value.
std::string AnswerFor(const kel::datagen::GeneratedWorld& world, const std::string& url) {
  const std::string champions = "/kel-game-data/assets/v1/champions/";
  if (url == "/kel-login/v1/session") return kSession;
  if (url == "/kel-game-data/assets/v1/champion-summary.json") return world.ChampionSummaryJson();
  if (url.rfind(champions, 0) == 0) return world.ChampionJson(std::atoi(url.c_str() + champions.size()));
  if (url == "/kel-login/v1/session/invoke") return world.OwnershipReplyJson(kSummoner, kNowMs);
  return "{}";
}

// Responses: the load sequence answered from the world, once inline and
// once with every body streamed in 4096-byte reads.
void WriteResponseSeeds(const fs::path& dir, const kel::datagen::GeneratedWorld& world) {
  for (const bool streamed : {false, true}) {
    ByteSink sink;
    {
      kel::fuzz::PluginRig rig;
      rig.core.on_send_request = [&](const kel::testing::RequestCall& call) {
        const std::string url = call.request->path ? call.request->path : "";
        const std::string json = AnswerFor(world, url);
        sink.U32(200);
        sink.NullableBytes(std::nullopt);
        if (!streamed) {
          sink.U8(0);
          kel::fuzz::WriteHostValue(sink, Json(json));
        } else {
          sink.U8(1);
          sink.U32(static_cast<uint32_t>(json.size()));
          const size_t reads = json.size() / 4096 + 1;
          sink.Count(reads);
          for (size_t i = 0; i < reads; ++i) {
            const std::string chunk = json.substr(i * 4096, 4096);
            sink.U32(static_cast<uint32_t>(chunk.size()));
            sink.Bytes(chunk);
            sink.U8(i + 1 < reads ? 1 : 0);
            sink.U8(1);
          }
        }
        // Answered inline from the world too, so the loads go on as they
        // would with these answers.
        call.response->status = 200;
        kel::BindingResult converted;
        kel::ToHostValue(converted, Json(json), call.response->result);
        call.response->release = [](kel::ResponseRecord* response) { kel::ReleaseHostValue(response->result); };
      };
      kel::fuzz::RunLoadSequence(rig);
      rig.core.on_send_request = nullptr;
    }
    Save(dir, streamed ? "world_streamed.bin" : "world_inline.bin", sink.bytes());
  }
}

BindingValue Drov(const std::string& type, const std::string& body) {
  return kel::testing::DrovMessagePayload(type, Json(body));
}

// Events: each subscribed name with a realistic payload, one seed per name
// and one seed with all of them in turn.
void WriteEventSeeds(const fs::path& dir, const kel::datagen::GeneratedWorld& world) {
  kel::fuzz::PluginRig rig;
  rig.Initialize();
  rig.RunTasks(4);
  const std::vector<std::string> names = rig.SubscribedNames();
  std::vector<std::pair<std::string, BindingValue>> events;
  const auto resource = [&](const std::string& uri, const std::string& json) {
    events.emplace_back(kel::ResourceEventName(uri),
                        kel::testing::ResourceEventPayload(uri, kel::PluginResourceEventType::Update, Json(json)));
  };
  resource("/kel-login/v1/session", kSession);
  resource("/kel-summoner/v1/current-summoner", R"({"summonerId":5,"summonerLevel":3})");
  resource("/kel-loyalty/v1/status-notification", "{}");
  for (const kel::datagen::ResourceText& text : world.ConfigurationResources()) resource(text.uri, text.json);
  const BindingValue configuration = Json(world.DynamicConfigurationEventJson());
  events.emplace_back(kel::DrovEventName(configuration.Find("typeName").GetString()),
                      kel::testing::DrovMessagePayload(std::string(configuration.Find("typeName").GetString()),
                                                       configuration.Find("body")));
  const int id = world.Champions().front().id;
  const std::string message = R"({"inventoryType":"CHAMPION","data":{"championId":)" + std::to_string(id) + "}}";
  events.emplace_back(kel::DrovEventName(kStoreClass), Drov(kStoreClass, message));
  events.emplace_back(kel::DrovEventName(kRentalClass), Drov(kRentalClass, message));

  ByteSink all;
  int written = 0;
  for (const auto& [name, payload] : events) {
    size_t index = 0;
    while (index < names.size() && names[index] != name) ++index;
    if (index == names.size()) continue;
    ByteSink one;
    for (ByteSink* sink : {&one, &all}) {
      sink->U8(static_cast<uint8_t>(index));
      kel::fuzz::WriteHostValue(*sink, payload);
    }
    Save(dir, "event_" + std::to_string(written++) + ".bin", one.bytes());
  }
  Save(dir, "all_events.bin", all.bytes());
  std::printf("events: %d of %zu seeds match a subscribed name\n", written, events.size());
}

// Invoke: a GET of every function's path with the world's ids.
void WriteInvokeSeeds(const fs::path& dir, const kel::datagen::GeneratedWorld& world) {
  kel::fuzz::PluginRig rig;
  const kel::ApiDescription& description = rig.Description();
  const kel::datagen::GameChampion& champion = world.Champions().front();
  const std::string skin = std::to_string(champion.skins.back().id);
  for (uint32_t i = 0; i < description.function_count; ++i) {
    std::string path = description.functions[i].path_template;
    for (const auto& [placeholder, value] :
         std::vector<std::pair<std::string, std::string>>{{"{summonerId}", std::to_string(kSummoner)},
                                                          {"{championId}", std::to_string(champion.id)},
                                                          {"{championSkinId}", skin},
                                                          {"{skinId}", skin}}) {
      for (size_t at; (at = path.find(placeholder)) != std::string::npos;) path.replace(at, placeholder.size(), value);
    }
    ByteSink sink;
    sink.U8(static_cast<uint8_t>(i));
    sink.U8(static_cast<uint8_t>(description.functions[i].method));
    sink.NullableBytes(path + (i % 2 == 0 ? "" : "?verbose=true"));
    sink.Count(1);
    sink.NullableBytes(std::string("Accept"));
    sink.NullableBytes(std::string("application/json"));
    sink.NullableBytes(std::nullopt);
    sink.NullableBytes(std::nullopt);
    sink.Count(0);
    sink.NullableBytes(std::nullopt);
    sink.U32(i);
    Save(dir, "route_" + std::to_string(i) + ".bin", sink.bytes());
  }
}

// Differential: the world's records in the differential target's node form.
void WriteDifferentialNode(ByteSink& sink, const BindingValue& value) {
  switch (value.Kind()) {
    case kel::BindingValueKind::kBool: sink.U8(value.GetBool() ? 0x81 : 0x01); break;
    case kel::BindingValueKind::kSigned:
      sink.U8(2);
      sink.U64(static_cast<uint64_t>(value.GetSigned()));
      break;
    case kel::BindingValueKind::kUnsigned:
      sink.U8(3);
      sink.U64(value.GetUnsigned());
      break;
    case kel::BindingValueKind::kFloat: {
      const double number = value.GetDouble();
      uint64_t bits = 0;
      std::memcpy(&bits, &number, sizeof(bits));
      sink.U8(4);
      sink.U64(bits);
      break;
    }
    case kel::BindingValueKind::kString:
      sink.U8(5);
      sink.Bytes(std::string(value.GetString()));
      break;
    case kel::BindingValueKind::kCollection:
      sink.U8(6);
      sink.Count(value.Size());
      for (const BindingValue& element : value.Elements()) WriteDifferentialNode(sink, element);
      break;
    case kel::BindingValueKind::kStructure:
      sink.U8(7);
      sink.Count(value.Size());
      for (const auto [key, member] : value.Members()) {
        sink.Bytes(std::string(key));
        WriteDifferentialNode(sink, member);
      }
      break;
    default: sink.U8(0); break;
  }
}

void WriteDifferentialSeeds(const fs::path& dir, const kel::datagen::GeneratedWorld& world) {
  const std::vector<std::pair<std::string, std::string>> texts = {
      {"summary", world.ChampionSummaryJson()},
      {"champion", world.ChampionJson(world.Champions().front().id)},
      {"ownership", world.OwnershipReplyJson(kSummoner, kNowMs)},
      {"numbers",
       R"([0.1,-2.5e-300,1.7976931348623157e308,9007199254740993,-9223372036854775808,18446744073709551615])"}};
  for (const auto& [name, json] : texts) {
    ByteSink sink;
    WriteDifferentialNode(sink, Json(json));
    Save(dir, name + ".bin", sink.bytes());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  const kel::datagen::GeneratedWorld world = World();
  WriteInvokeSeeds(root / "invoke", world);
  WriteEventSeeds(root / "events", world);
  WriteResponseSeeds(root / "responses", world);
  WriteDifferentialSeeds(root / "differential", world);
  return 0;
}
