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
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"
#include "serialization/msgpack_reader.h"
#include "serialization/yaml_reader.h"
#include "serialization_corpus.h"
#include "thread_cpu_time.h"

namespace kel::bench {

namespace {

void Require(bool condition, const std::string& what) {
  if (!condition) {
    std::fprintf(stderr, "benchmark setup failed: %s\n", what.c_str());
    std::abort();
  }
}

// One run of a case, set up once before the timing.
using Case = std::function<void()>;

Case JsonParseBinding(const Corpus& c) {
  return [&c] { benchmark::DoNotOptimize(ParseJson(c.json.c_str())); };
}

Case JsonParseRapidJson(const Corpus& c) {
  return [&c] {
    rapidjson::Document document;
    document.Parse(c.json.c_str());
    benchmark::DoNotOptimize(document);
  };
}

Case JsonWriteBinding(const Corpus& c) {
  auto parsed = std::make_shared<BindingResult>(ParseJson(c.json.c_str()));
  Require(parsed->Ok(), c.name + " JSON into a binding value");
  return [parsed] { benchmark::DoNotOptimize(WriteJson(parsed->Value())); };
}

Case JsonWriteRapidJson(const Corpus& c) {
  auto document = std::make_shared<rapidjson::Document>();
  document->Parse(c.json.c_str());
  return [document] {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document->Accept(writer);
    benchmark::DoNotOptimize(buffer.GetString());
  };
}

Case MsgPackDecodeBinding(const Corpus& c) {
  return [&c] { benchmark::DoNotOptimize(DecodeMsgPack(c.msgpack.data(), c.msgpack.size())); };
}

Case MsgPackDecodeReference(const Corpus& c) {
  return [&c] {
    msgpack::object_handle handle = msgpack::unpack(c.msgpack.data(), c.msgpack.size());
    benchmark::DoNotOptimize(handle.get());
  };
}

Case YamlParseBinding(const Corpus& c) {
  return [&c] { benchmark::DoNotOptimize(ParseYaml(c.yaml.data(), c.yaml.size())); };
}

// The floor: libyaml's events pulled and dropped, nothing built.
Case YamlEventLoop(const Corpus& c) {
  return [&c] {
    yaml_parser_t parser;
    yaml_parser_initialize(&parser);
    yaml_parser_set_encoding(&parser, YAML_UTF8_ENCODING);
    yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(c.yaml.data()), c.yaml.size());
    yaml_event_t event;
    bool done = false;
    while (!done && yaml_parser_parse(&parser, &event)) {
      done = event.type == YAML_STREAM_END_EVENT;
      yaml_event_delete(&event);
    }
    yaml_parser_delete(&parser);
  };
}

// The measured case and its reference in turns within every iteration, so
// that both meet the same neighbours: on this shared machine a case timed a
// second after the other compared the neighbours' bursts (yaml_parse
// game-data printed 1.23x to 1.52x between whole runs of one build). The
// counters are each case's CPU seconds per run.
void InTurns(benchmark::State& state, const Case& measured, const Case& reference, const std::string& measured_name,
             const std::string& reference_name) {
  double measured_seconds = 0;
  double reference_seconds = 0;
  for (auto _ : state) {
    measured_seconds += WarmedTurnSeconds(measured);
    reference_seconds += WarmedTurnSeconds(reference);
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters[measured_name] = measured_seconds / iterations;
  state.counters[reference_name] = reference_seconds / iterations;
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
    Case (*measured)(const Corpus&);
    const char* measured_name;
    Case (*reference)(const Corpus&);
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
      const std::string name = std::string(p.operation) + "/" + c.name + "/in_turns";
      benchmark::RegisterBenchmark(name.c_str(),
                                   [&c, p](benchmark::State& state) {
                                     InTurns(state, p.measured(c), p.reference(c), p.measured_name, p.reference_name);
                                   })
          ->MinTime(2.0)
          ->Unit(benchmark::kMillisecond);
      // Google Benchmark adds the minimum time to the name.
      const std::string timed = name + "/min_time:2.000";
      goals.push_back(
          {std::string(p.operation) + " " + c.name, timed, timed, p.goal, p.measured_name, p.reference_name});
    }
  }
  RatioReporter reporter(std::move(goals));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
