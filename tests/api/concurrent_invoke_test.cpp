// Several core threads invoking one function at once: each call has only its
// own objects, so every answer matches its own request.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "api/typed_handler.h"
#include "support/invoke_fixture.h"

namespace kel::testing {
namespace {

TEST_F(InvokeTest, ConcurrentInvocationsAnswerTheirOwnRequests) {
  const FunctionRecord& function = RegisterRoute<std::string, uint64_t, int32_t>(
      table_, {RequestMethod::kGet, "/c/{summonerId}"},
      {{{"summonerId", ParameterLocation::kPath}, {"championId", ParameterLocation::kQuery}}},
      [](uint64_t summoner, int32_t champion) -> MaybeType<Failure, std::string> {
        return std::to_string(summoner) + ":" + std::to_string(champion);
      });
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 100; ++i) {
        const std::string expected = std::to_string(t) + ":" + std::to_string(i);
        const TestAnswer answer = Get(function, "/c/" + std::to_string(t) + "?championId=" + std::to_string(i));
        if (answer.has_error || answer.value.GetString() != expected) mismatches.fetch_add(1);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace kel::testing
