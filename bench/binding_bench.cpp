// Building, copying and destroying a champion-list-shaped binding value tree
// against the same tree as a RapidJSON document with its pool allocator, in
// one run. Prints the ratios with their goals and the memory each tree takes.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <string>
#include <vector>

#include "binding/binding_value.h"
#include "binding/binding_value_context.h"
#include "champion_tree_shape.h"
#include "platform/page_allocator.h"
#include "ratio_reporter.h"

namespace kel::bench {
namespace {

struct BindingTree {
  using Node = BindingValue;
  void MakeObject(Node& node) { node.MakeStructure(); }
  void MakeArray(Node& node) { node.MakeCollection(); }
  Node& Member(Node& node, const char* key) { return node.Member(key); }
  Node& Append(Node& node) { return node.Append(); }
  void SetText(Node& node, const std::string& text) { node.SetString(text); }
  void SetInt(Node& node, std::int64_t value) { node.SetSigned(value); }
  void SetBool(Node& node, bool value) { node.SetBool(value); }
};

// Keys and texts are copied into the pool, as a parser fills a document.
struct RapidJsonTree {
  using Node = rapidjson::Value;
  rapidjson::Document::AllocatorType& allocator;
  void MakeObject(Node& node) { node.SetObject(); }
  void MakeArray(Node& node) { node.SetArray(); }
  Node& Member(Node& node, const char* key) {
    node.AddMember(rapidjson::Value(key, allocator), rapidjson::Value(), allocator);
    return (node.MemberEnd() - 1)->value;
  }
  Node& Append(Node& node) {
    node.PushBack(rapidjson::Value(), allocator);
    return node[node.Size() - 1];
  }
  void SetText(Node& node, const std::string& text) {
    node.SetString(text.data(), static_cast<rapidjson::SizeType>(text.size()), allocator);
  }
  void SetInt(Node& node, std::int64_t value) { node.SetInt64(value); }
  void SetBool(Node& node, bool value) { node.SetBool(value); }
};

void BuildBinding(BindingValue& root) {
  BindingTree tree;
  FillChampionList(tree, root);
}

void BuildRapidJson(rapidjson::Document& document) {
  RapidJsonTree tree{document.GetAllocator()};
  FillChampionList(tree, static_cast<rapidjson::Value&>(document));
}

void BuildDestroyBinding(benchmark::State& state) {
  for (auto _ : state) {
    BindingValue root;
    BuildBinding(root);
    benchmark::DoNotOptimize(root);
  }
}

void BuildDestroyRapidJson(benchmark::State& state) {
  for (auto _ : state) {
    rapidjson::Document document;
    BuildRapidJson(document);
    benchmark::DoNotOptimize(document);
  }
}

void CopyBinding(benchmark::State& state) {
  BindingValue source;
  BuildBinding(source);
  for (auto _ : state) {
    BindingValue copy(source);
    benchmark::DoNotOptimize(copy);
  }
}

void CopyRapidJson(benchmark::State& state) {
  rapidjson::Document source;
  BuildRapidJson(source);
  for (auto _ : state) {
    rapidjson::Document copy;
    copy.CopyFrom(source, copy.GetAllocator());
    benchmark::DoNotOptimize(copy);
  }
}

// Element arrays longer than a pool block come from the general heap;
// everything else of a tree lives in its context or in pages of the page
// allocator.
std::size_t ElementArrayBytes(const BindingValue& root) {
  std::size_t bytes = 0;
  std::vector<const BindingValue*> pending{&root};
  while (!pending.empty()) {
    const BindingValue* value = pending.back();
    pending.pop_back();
    for (const BindingValue& element : value->Elements()) pending.push_back(&element);
    for (auto [key, member] : value->Members()) pending.push_back(&member);
    const std::size_t arrayBytes = value->Elements().size() * sizeof(BindingValue);
    if (arrayBytes > SmallObjectAllocator::kMaxBlockSize) bytes += arrayBytes;
  }
  return bytes;
}

void ReportShapeAndMemory() {
  rapidjson::Document document;
  BuildRapidJson(document);
  rapidjson::StringBuffer text;
  rapidjson::Writer<rapidjson::StringBuffer> writer(text);
  document.Accept(writer);

  std::size_t pagesBefore = platform::GetPageAllocatorStats().pages;
  BindingValue root;
  BuildBinding(root);
  std::size_t pageBytes = (platform::GetPageAllocatorStats().pages - pagesBefore) * platform::kPageSize;
  std::size_t contextBytes = sizeof(BindingValueContext);
  std::size_t arrayBytes = ElementArrayBytes(root);
  std::printf("champion list: %d champions, %zu bytes as JSON\n", kChampions, text.GetSize());
  std::printf(
      "memory per tree: binding %zu bytes (pages %zu + context %zu + element arrays %zu, %zu interned strings)\n",
      pageBytes + contextBytes + arrayBytes, pageBytes, contextBytes, arrayBytes, root.Context()->strings.Count());
  std::printf("memory per tree: rapidjson %zu bytes used of %zu held by its pool allocator\n",
              document.GetAllocator().Size(), document.GetAllocator().Capacity());
}

}  // namespace
}  // namespace kel::bench

int main(int argc, char** argv) {
  using namespace kel::bench;
  benchmark::Initialize(&argc, argv);
  ReportShapeAndMemory();
  benchmark::RegisterBenchmark("build_destroy/binding", BuildDestroyBinding)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("build_destroy/rapidjson_document", BuildDestroyRapidJson)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("copy/binding", CopyBinding)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("copy/rapidjson_copyfrom", CopyRapidJson)->Unit(benchmark::kMillisecond);
  RatioReporter reporter({
      {"build and destroy", "build_destroy/binding", "build_destroy/rapidjson_document", 2.5},
      {"copy between trees", "copy/binding", "copy/rapidjson_copyfrom", 2.5},
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
