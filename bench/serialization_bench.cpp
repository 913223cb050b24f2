// The JSON, MessagePack and YAML readers and the JSON writer against the
// libraries they are built on or held against, on the same data in one run.
// Prints each ratio with its goal at the end.
#include <benchmark/benchmark.h>
#include <msgpack.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <yaml.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"
#include "serialization/msgpack_reader.h"
#include "serialization/yaml_reader.h"
#include "serialization_corpus.h"

namespace kel::bench {

namespace {

void Require(bool condition, const std::string& what) {
  if (!condition) {
    std::fprintf(stderr, "benchmark setup failed: %s\n", what.c_str());
    std::abort();
  }
}

// Runs one case per iteration and reports its throughput over `bytes`.
template <class Case>
void Measure(benchmark::State& state, size_t bytes, Case run_case) {
  for (auto _ : state) run_case();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void JsonParseBinding(benchmark::State& state, const Corpus* c) {
  Measure(state, c->json.size(), [c] { benchmark::DoNotOptimize(ParseJson(c->json.c_str())); });
}

void JsonParseRapidJson(benchmark::State& state, const Corpus* c) {
  Measure(state, c->json.size(), [c] {
    rapidjson::Document document;
    document.Parse(c->json.c_str());
    benchmark::DoNotOptimize(document);
  });
}

void JsonWriteBinding(benchmark::State& state, const Corpus* c) {
  const BindingResult parsed = ParseJson(c->json.c_str());
  Require(parsed.Ok(), c->name + " JSON into a binding value");
  Measure(state, c->json.size(), [&parsed] { benchmark::DoNotOptimize(WriteJson(parsed.Value())); });
}

void JsonWriteRapidJson(benchmark::State& state, const Corpus* c) {
  rapidjson::Document document;
  document.Parse(c->json.c_str());
  Measure(state, c->json.size(), [&document] {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    benchmark::DoNotOptimize(buffer.GetString());
  });
}

void MsgPackDecodeBinding(benchmark::State& state, const Corpus* c) {
  Measure(state, c->msgpack.size(),
          [c] { benchmark::DoNotOptimize(DecodeMsgPack(c->msgpack.data(), c->msgpack.size())); });
}

void MsgPackDecodeReference(benchmark::State& state, const Corpus* c) {
  Measure(state, c->msgpack.size(), [c] {
    msgpack::object_handle handle = msgpack::unpack(c->msgpack.data(), c->msgpack.size());
    benchmark::DoNotOptimize(handle.get());
  });
}

void YamlParseBinding(benchmark::State& state, const Corpus* c) {
  Measure(state, c->yaml.size(), [c] { benchmark::DoNotOptimize(ParseYaml(c->yaml.data(), c->yaml.size())); });
}

// The floor: libyaml's events pulled and dropped, nothing built.
void YamlEventLoop(benchmark::State& state, const Corpus* c) {
  Measure(state, c->yaml.size(), [c] {
    yaml_parser_t parser;
    yaml_parser_initialize(&parser);
    yaml_parser_set_encoding(&parser, YAML_UTF8_ENCODING);
    yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(c->yaml.data()), c->yaml.size());
    yaml_event_t event;
    bool done = false;
    while (!done && yaml_parser_parse(&parser, &event)) {
      done = event.type == YAML_STREAM_END_EVENT;
      yaml_event_delete(&event);
    }
    yaml_parser_delete(&parser);
  });
}

// Checks once, outside the timing, that each reader accepts its input.
void CheckReaders(const Corpus& c) {
  Require(ParseJson(c.json.c_str()).Ok(), c.name + " JSON");
  size_t consumed = 0;
  Require(DecodeMsgPack(c.msgpack.data(), c.msgpack.size(), &consumed).Ok() && consumed == c.msgpack.size(),
          c.name + " MessagePack");
  const BindingResult yaml = ParseYaml(c.yaml.data(), c.yaml.size());
  Require(yaml.Ok(), c.name + " YAML: " + std::string(yaml.Message()));
}

}  // namespace

}  // namespace kel::bench

int main(int argc, char** argv) {
  using namespace kel::bench;
  benchmark::Initialize(&argc, argv);
  static const std::vector<Corpus> corpora = BuildCorpora();

  std::vector<RatioGoal> goals;
  struct Pair {
    const char* operation;
    void (*measured)(benchmark::State&, const Corpus*);
    const char* measured_name;
    void (*reference)(benchmark::State&, const Corpus*);
    const char* reference_name;
    double goal;
  };
  const Pair pairs[] = {
      {"json_parse", JsonParseBinding, "binding", JsonParseRapidJson, "rapidjson_document", 2.0},
      {"json_write", JsonWriteBinding, "binding", JsonWriteRapidJson, "rapidjson_writer", 1.0},
      {"msgpack_decode", MsgPackDecodeBinding, "binding", MsgPackDecodeReference, "msgpack_c_unpack", 3.0},
      {"yaml_parse", YamlParseBinding, "binding", YamlEventLoop, "libyaml_events", 1.2},
  };
  for (const Corpus& c : corpora) {
    CheckReaders(c);
    std::printf("%s: JSON %zu bytes, MessagePack %zu bytes, YAML %zu bytes\n", c.name.c_str(), c.json.size(),
                c.msgpack.size(), c.yaml.size());
    for (const Pair& p : pairs) {
      const std::string base = std::string(p.operation) + "/" + c.name + "/";
      benchmark::RegisterBenchmark((base + p.measured_name).c_str(), p.measured, &c)->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark((base + p.reference_name).c_str(), p.reference, &c)->Unit(benchmark::kMillisecond);
      goals.push_back(
          {std::string(p.operation) + " " + c.name, base + p.measured_name, base + p.reference_name, p.goal});
    }
  }
  RatioReporter reporter(std::move(goals));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
