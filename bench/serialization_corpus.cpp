#include "serialization_corpus.h"

#include <msgpack.hpp>
#include <rapidjson/document.h>
#include <yaml.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "datagen/generated_world.h"

namespace kel::bench {

namespace {

constexpr size_t kMinGameDataBytes = 2 * 1024 * 1024;
constexpr uint64_t kSeed = 20261206;
constexpr uint64_t kSummonerId = 2743568390123ull;
constexpr uint64_t kNowMs = 1796000000000ull;

// Every champion's game-data file in one array, from a world large enough to
// pass the minimum size.
std::string GameDataJson() {
  datagen::WorldOptions options;
  for (;;) {
    const datagen::GeneratedWorld world(kSeed, options);
    std::string json = "[";
    for (const datagen::GameChampion& champion : world.Champions()) {
      if (json.size() > 1) json += ',';
      json += world.ChampionJson(champion.id);
    }
    json += ']';
    if (json.size() >= kMinGameDataBytes) return json;
    options.championCount *= 2;
  }
}

void PackMsgPack(const rapidjson::Value& v, msgpack::packer<msgpack::sbuffer>& out) {
  switch (v.GetType()) {
    case rapidjson::kNullType: out.pack_nil(); break;
    case rapidjson::kFalseType: out.pack_false(); break;
    case rapidjson::kTrueType: out.pack_true(); break;
    case rapidjson::kStringType:
      out.pack_str(v.GetStringLength());
      out.pack_str_body(v.GetString(), v.GetStringLength());
      break;
    case rapidjson::kNumberType:
      if (v.IsUint64()) {
        out.pack_uint64(v.GetUint64());
      } else if (v.IsInt64()) {
        out.pack_int64(v.GetInt64());
      } else {
        out.pack_double(v.GetDouble());
      }
      break;
    case rapidjson::kArrayType:
      out.pack_array(v.Size());
      for (const auto& element : v.GetArray()) PackMsgPack(element, out);
      break;
    case rapidjson::kObjectType:
      out.pack_map(v.MemberCount());
      for (const auto& member : v.GetObject()) {
        PackMsgPack(member.name, out);
        PackMsgPack(member.value, out);
      }
      break;
  }
}

int AppendToString(void* data, unsigned char* buffer, size_t size) {
  static_cast<std::string*>(data)->append(reinterpret_cast<const char*>(buffer), size);
  return 1;
}

class YamlEmitter {
 public:
  explicit YamlEmitter(std::string& out) {
    yaml_emitter_initialize(&emitter_);
    yaml_emitter_set_output(&emitter_, AppendToString, &out);
    yaml_emitter_set_unicode(&emitter_, 1);
    yaml_emitter_set_width(&emitter_, -1);
  }
  ~YamlEmitter() { yaml_emitter_delete(&emitter_); }

  void Document(const rapidjson::Value& root) {
    yaml_event_t e;
    yaml_stream_start_event_initialize(&e, YAML_UTF8_ENCODING);
    Emit(e);
    yaml_document_start_event_initialize(&e, nullptr, nullptr, nullptr, 1);
    Emit(e);
    Value(root);
    yaml_document_end_event_initialize(&e, 1);
    Emit(e);
    yaml_stream_end_event_initialize(&e);
    Emit(e);
  }

 private:
  void Emit(yaml_event_t& e) {
    if (!yaml_emitter_emit(&emitter_, &e)) {
      std::fprintf(stderr, "YAML emitter: %s\n", emitter_.problem ? emitter_.problem : "failed");
      std::abort();
    }
  }

  void Scalar(std::string_view text, yaml_scalar_style_t style) {
    yaml_event_t e;
    yaml_scalar_event_initialize(&e, nullptr, nullptr, reinterpret_cast<yaml_char_t*>(const_cast<char*>(text.data())),
                                 static_cast<int>(text.size()), 1, 1, style);
    Emit(e);
  }

  void Value(const rapidjson::Value& v) {
    yaml_event_t e;
    char number[32];
    switch (v.GetType()) {
      case rapidjson::kNullType: Scalar("~", YAML_PLAIN_SCALAR_STYLE); break;
      case rapidjson::kFalseType: Scalar("false", YAML_PLAIN_SCALAR_STYLE); break;
      case rapidjson::kTrueType: Scalar("true", YAML_PLAIN_SCALAR_STYLE); break;
      case rapidjson::kStringType: Scalar({v.GetString(), v.GetStringLength()}, YAML_ANY_SCALAR_STYLE); break;
      case rapidjson::kNumberType:
        if (v.IsUint64()) {
          std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(v.GetUint64()));
        } else if (v.IsInt64()) {
          std::snprintf(number, sizeof number, "%lld", static_cast<long long>(v.GetInt64()));
        } else {
          std::snprintf(number, sizeof number, "%.17g", v.GetDouble());
        }
        Scalar(number, YAML_PLAIN_SCALAR_STYLE);
        break;
      case rapidjson::kArrayType:
        yaml_sequence_start_event_initialize(&e, nullptr, nullptr, 1, YAML_BLOCK_SEQUENCE_STYLE);
        Emit(e);
        for (const auto& element : v.GetArray()) Value(element);
        yaml_sequence_end_event_initialize(&e);
        Emit(e);
        break;
      case rapidjson::kObjectType:
        yaml_mapping_start_event_initialize(&e, nullptr, nullptr, 1, YAML_BLOCK_MAPPING_STYLE);
        Emit(e);
        for (const auto& member : v.GetObject()) {
          Scalar({member.name.GetString(), member.name.GetStringLength()}, YAML_ANY_SCALAR_STYLE);
          Value(member.value);
        }
        yaml_mapping_end_event_initialize(&e);
        Emit(e);
        break;
    }
  }

  yaml_emitter_t emitter_;
};

Corpus MakeCorpus(std::string name, std::string json) {
  rapidjson::Document document;
  document.Parse(json.c_str());
  if (document.HasParseError()) {
    std::fprintf(stderr, "generated %s JSON does not parse\n", name.c_str());
    std::abort();
  }
  msgpack::sbuffer packed;
  msgpack::packer<msgpack::sbuffer> packer(packed);
  PackMsgPack(document, packer);
  std::string yaml;
  YamlEmitter(yaml).Document(document);
  return {std::move(name), std::move(json), std::string(packed.data(), packed.size()), std::move(yaml)};
}

}  // namespace

std::vector<Corpus> BuildCorpora() {
  const datagen::GeneratedWorld world(kSeed);
  std::vector<Corpus> corpora;
  corpora.push_back(MakeCorpus("game-data", GameDataJson()));
  corpora.push_back(MakeCorpus("ownership", world.OwnershipReplyJson(kSummonerId, kNowMs)));
  return corpora;
}

}  // namespace kel::bench
