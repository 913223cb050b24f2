// Many clients read the inventory and the counters while remote messages and
// configuration changes arrive, and go on reading while the host stops with
// every kind of work in flight; run under ThreadSanitizer with a sanitized
// host, where a race ends the host with a report and a failing exit status.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "host/host_options.h"
#include "host_process.h"

namespace kel::host::testing {
namespace {

TEST(HostConcurrency, ReadersMessagesAndConfigurationChangesAtOnceThenAStop) {
  HostProcess host({"--login-delay-ms", "0"});
  const std::string list = InventoryRoutes()[0];
  std::atomic<bool> stop{false}, stopping{false};
  std::atomic<int> bad{0};
  std::atomic<int> listsRead{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 8; ++i) {
    readers.emplace_back([&, counters = i % 4 == 3] {
      while (!stop.load()) {
        const JsonReply reply = host.Get(counters ? "/host/v1/counters" : list);
        // Before publication the plug-in answers 404; never anything else,
        // never broken JSON, until the host is told to stop.
        if (reply.status == 200 && (counters ? reply.value.IsStructure() : reply.value.IsCollection())) {
          listsRead += counters ? 0 : 1;
        } else if (!stopping.load() && (counters || reply.status != 404 || !reply.value.IsStructure())) {
          ++bad;
        }
      }
    });
  }
  // Each change returns once the plug-in has taken it, so the rounds go at
  // the plug-in's pace while the readers keep it busy.
  for (int round = 0; round < 6; ++round) {
    EXPECT_EQ(host.Send("POST", "/host/v1/messages/store-fulfillment",
                        R"({"inventoryType": "CHAMPION", "data": {"championId": 1, "owned": true}})")
                  .status,
              200);
    EXPECT_EQ(host.Send("POST", "/host/v1/messages/dynamic-configuration").status, 200);
    EXPECT_EQ(
        host.Send("PUT",
                  "/host/v1/resources/kel-platform-config/v1/namespaces/ClientSystemStates/inactiveChampionIdList",
                  round % 2 == 0 ? "[1, 2]" : "[]")
            .status,
        200);
    EXPECT_EQ(host.Send("PUT", "/host/v1/resources/kel-summoner/v1/current-summoner",
                        R"({"summonerLevel": )" + std::to_string(round * 7) + "}")
                  .status,
              200);
  }
  EXPECT_TRUE(WaitFor([&] { return listsRead.load() >= 8; }, Patience(std::chrono::milliseconds(60000))));
  host.Send("POST", "/host/v1/reconnect");
  host.Send("POST", "/host/v1/messages/dynamic-configuration");
  stopping = true;
  EXPECT_EQ(host.Stop(), 0) << host.Output();
  stop = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(host.Output().find("Sanitizer"), std::string::npos) << host.Output();
}

}  // namespace
}  // namespace kel::host::testing
