// One inbound request through the invoke entry (request record in, response
// released) against its handler alone, in one run; and matching a path with
// the template compiled once at registration against compiling it for
// every request, as a route layer without that decision would.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "api/api_description_abi.h"
#include "api/compiled_route.h"
#include "api/invoke.h"
#include "api/route_match.h"
#include "api/typed_handler.h"
#include "binding/binding_registry.h"
#include "platform/page_allocator.h"

namespace kel::bench {
namespace {

constexpr const char* kTemplate = "/kel-champions/v1/inventories/{summonerId}/champions/{championId}";
constexpr const char* kPath = "/kel-champions/v1/inventories/2743109/champions/266";

// The handler: a small record built from its two arguments.
MaybeType<Failure, std::map<std::string, std::string>> Handler(uint64_t summoner, int32_t champion) {
  return std::map<std::string, std::string>{{"champion", std::to_string(champion)},
                                            {"summoner", std::to_string(summoner)}};
}

void InvokeRoute(benchmark::State& state) {
  BindingRegistry registry;
  FunctionTable table(registry);
  const FunctionRecord& function = RegisterRoute<std::map<std::string, std::string>, uint64_t, int32_t>(
      table, {RequestMethod::kGet, kTemplate},
      {{{"summonerId", ParameterLocation::kPath}, {"championId", ParameterLocation::kPath}}}, &Handler);
  const InvokeContext context{&registry, &function};
  RequestRecord request = {};
  request.method = static_cast<uint32_t>(RequestMethod::kGet);
  request.path = kPath;
  request.invoke_context = &context;
  for (auto _ : state) {
    ResponseRecord response;
    InvokeFunction(&response, &request);
    benchmark::DoNotOptimize(response);
    response.release(&response);
  }
}

// The same while another tree holds a page: the page allocator then keeps its
// region instead of returning it to the system after every request, as it
// does when the request's trees were the only ones using it.
void InvokeRouteWithRegionHeld(benchmark::State& state) {
  void* held = platform::AllocatePage();
  InvokeRoute(state);
  platform::FreePage(held);
}

void HandlerAlone(benchmark::State& state) {
  uint64_t summoner = 2743109;
  int32_t champion = 266;
  for (auto _ : state) {
    benchmark::DoNotOptimize(summoner);
    benchmark::DoNotOptimize(champion);
    auto result = Handler(summoner, champion);
    benchmark::DoNotOptimize(result);
  }
}

void MatchCompiledOnce(benchmark::State& state) {
  const CompiledRoute route = CompiledRoute::Compile(kTemplate);
  const RouteEntry entry{&route, RequestMethod::kGet, {}};
  for (auto _ : state) {
    auto match = MatchRoute(std::span(&entry, 1), {RequestMethod::kGet, {}, kPath});
    benchmark::DoNotOptimize(match);
  }
}

void MatchCompilingEachTime(benchmark::State& state) {
  for (auto _ : state) {
    const CompiledRoute route = CompiledRoute::Compile(kTemplate);
    const RouteEntry entry{&route, RequestMethod::kGet, {}};
    auto match = MatchRoute(std::span(&entry, 1), {RequestMethod::kGet, {}, kPath});
    benchmark::DoNotOptimize(match);
  }
}

// The console output, then the figures the route layer is held to. CPU
// time: the machine is shared.
class RouteReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        micros_[run.benchmark_name()] = run.cpu_accumulated_time * 1e6 / static_cast<double>(run.iterations);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    const double invoke = micros_["invoke/two_placeholders"];
    const double held = micros_["invoke/two_placeholders_region_held"];
    const double handler = micros_["invoke/handler_alone"];
    const double once = micros_["match/compiled_once"];
    const double each = micros_["match/compiling_each_time"];
    if (invoke > 0 && handler > 0) {
      const double overhead = invoke - handler;
      std::printf("\ndispatch overhead: %.2f us per request (goal at most 2 us): %s\n", overhead,
                  overhead <= 2.0 ? "met" : "MISSED");
      std::printf("invoke / handler alone: %.2fx\n", invoke / handler);
    }
    if (held > 0 && handler > 0) {
      std::printf("with a page region held elsewhere: overhead %.2f us per request, %.2fx the handler\n",
                  held - handler, held / handler);
    }
    if (once > 0 && each > 0) {
      std::printf("compiling the template once saves %.2f us per request (match %.2f us instead of %.2f us)\n",
                  each - once, once, each);
    }
    std::fflush(stdout);
  }

 private:
  std::map<std::string, double> micros_;
};

}  // namespace
}  // namespace kel::bench

int main(int argc, char** argv) {
  using namespace kel::bench;
  benchmark::Initialize(&argc, argv);
  benchmark::RegisterBenchmark("invoke/two_placeholders", InvokeRoute);
  benchmark::RegisterBenchmark("invoke/two_placeholders_region_held", InvokeRouteWithRegionHeld);
  benchmark::RegisterBenchmark("invoke/handler_alone", HandlerAlone);
  benchmark::RegisterBenchmark("match/compiled_once", MatchCompiledOnce);
  benchmark::RegisterBenchmark("match/compiling_each_time", MatchCompilingEachTime);
  RouteReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
