// Many clients read the inventory while remote messages and configuration
// changes arrive; run under ThreadSanitizer with a sanitized host, where a
// race ends the host with a report and a failing exit status.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "host/host_options.h"
#include "host_process.h"

namespace kel::host::testing {
namespace {

TEST(HostConcurrency, ReadersMessagesAndConfigurationChangesAtOnce) {
  HostProcess host({"--login-delay-ms", "0"});
  const std::string list =
      "/kel-champions/v1/inventories/" + std::to_string(kDefaultSummonerId) + "/champions";
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::atomic<int> reads{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&] {
      while (!stop.load()) {
        const JsonReply reply = host.Get(list);
        // Before publication the plug-in answers 404 (or, without its
        // routes, the host does); never anything else, never broken JSON.
        const bool sound = (reply.status == 200 && reply.value.IsCollection()) ||
                           (reply.status == 404 && reply.value.IsStructure());
        if (!sound) ++bad;
        ++reads;
      }
    });
  }
  threads.emplace_back([&] {
    for (int round = 0; !stop.load(); ++round) {
      host.Send("POST", "/host/v1/messages/store-fulfillment",
                R"({"inventoryType": "CHAMPION", "data": {"championId": 1, "owned": true}})");
      host.Send("POST", "/host/v1/messages/dynamic-configuration");
      host.Send("PUT", "/host/v1/resources/kel-platform-config/v1/namespaces/ClientSystemStates/inactiveChampionIdList",
                round % 2 == 0 ? "[1, 2]" : "[]");
      host.Send("PUT", "/host/v1/resources/kel-summoner/v1/current-summoner",
                R"({"summonerLevel": )" + std::to_string(round % 40) + "}");
    }
  });
  EXPECT_TRUE(WaitFor([&] { return reads.load() >= 400; }, Patience(std::chrono::milliseconds(60000))));
  stop = true;
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(host.Stop(), 0) << host.Output();
}

}  // namespace
}  // namespace kel::host::testing
