// The real host under load for a bounded time (KEL_SOAK_SECONDS, 60 by
// default): readers on every route over several keep-alive connections, a
// loop of changes through the control API with injected faults and
// reconnects, and an event stream that reconnects from its last id. At the
// end no request failed outside a fault, every event arrived once and in
// order, resident memory stayed bounded and the host went down cleanly.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <thread>

#include "host_process.h"

namespace kel::host::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::chrono::seconds SoakTime() {
  const char* text = std::getenv("KEL_SOAK_SECONDS");
  return std::chrono::seconds(text != nullptr ? std::atoi(text) : 60);
}

uint64_t ResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stoull(line.substr(6));
  }
  return 0;
}

// How far resident memory may grow over the settled host: the event
// stream keeps up to 96 MiB of events (each change publishes the whole
// inventory), the allocator keeps slack; the sanitizers' allocator holds
// freed memory back besides.
#if defined(__SANITIZE_ADDRESS__)
constexpr uint64_t kResidentGrowthKiB = 1024 << 10;
#else
constexpr uint64_t kResidentGrowthKiB = 384 << 10;
#endif

TEST(HostSoak, ReadersChangesFaultsAndReconnectsForABoundedTime) {
  HostProcess host({"--login-delay-ms", "0"});
  std::vector<std::string> routes = InventoryRoutes();
  routes.push_back("/host/v1/status");
  ASSERT_TRUE(WaitForFullList(host));
  const uint64_t settled_kib = ResidentKiB(host.Pid());
  std::atomic<bool> stop{false};
  // Odd while injected faults may make requests fail.
  std::atomic<uint64_t> fault_epoch{0};
  std::atomic<uint64_t> reads{0}, unexplained{0};
  uint64_t peak_kib = settled_kib;
  std::mutex failures_mutex;
  std::vector<std::string> failures;

  std::vector<std::thread> readers;
  for (int r = 0; r < 4; ++r) {
    readers.emplace_back([&, r] {
      httplib::Client client("127.0.0.1", host.Port());
      client.set_read_timeout(Patience(milliseconds(20000)));
      for (std::size_t i = r; !stop; ++i) {
        const std::string& path = routes[i % routes.size()];
        const uint64_t epoch = fault_epoch;
        const httplib::Result result = client.Get(path);
        ++reads;
        if (result && (result->status == 200 || epoch % 2 == 1 || epoch != fault_epoch)) continue;
        ++unexplained;
        std::lock_guard lock(failures_mutex);
        if (failures.size() < 10)
          failures.push_back(
              path + " -> " +
              (result ? std::to_string(result->status) + " " + result->body : httplib::to_string(result.error())));
      }
    });
  }

  // The event stream from the start, reconnecting every few seconds from the
  // last id it saw; ids are the publication order.
  std::atomic<uint64_t> last_id{0}, out_of_order{0}, lost{0}, published{UINT64_MAX};
  std::thread events([&] {
    while (last_id < published) {
      httplib::Client client("127.0.0.1", host.Port());
      const auto until = Clock::now() + std::chrono::seconds(5);
      std::string pending;
      // Where the search for the blank line that ends an event goes on: an
      // event can be the whole inventory, arriving in many pieces, and
      // searching it from its start for every piece kept this reader behind.
      std::size_t searched = 0;
      client.Get("/host/v1/events", {{"Last-Event-ID", std::to_string(last_id)}}, [&](const char* data, size_t length) {
        pending.append(data, length);
        for (std::size_t split; (split = pending.find("\n\n", searched)) != std::string::npos; searched = 0) {
          if (pending.starts_with("id: ")) {
            const uint64_t id = std::stoull(pending.substr(4));
            // A reader further behind than the hub keeps is told so, with
            // the last id it lost; only a gap not announced is a fault.
            if (pending.find("\nevent: host-events-dropped\n") < split) {
              if (id <= last_id) ++out_of_order;
              lost += id - last_id;
            } else if (id != last_id + 1) {
              ++out_of_order;
            }
            last_id = id;
          }
          pending.erase(0, split + 2);
        }
        searched = pending.empty() ? 0 : pending.size() - 1;
        return last_id < published && Clock::now() < until;
      });
    }
  });

  const std::string inventory_message =
      R"({"inventoryType": "CHAMPION", "data": {"championId": )" + std::to_string(DefaultWorld().Champions()[3].id);
  const auto end = Clock::now() + SoakTime();
  const auto change = [&](const std::string& path, const std::string& body = "") {
    EXPECT_EQ(host.Send("POST", path, body).status, 200) << path << " " << body;
  };
  int changes = 0;
  for (int round = 0; Clock::now() < end; ++round) {
    change("/host/v1/messages/store-fulfillment",
           inventory_message + R"(, "owned": true, "sources": ["purchase"], "purchaseDate": 1}})");
    change("/host/v1/messages/rental-update", inventory_message + R"(, "owned": false, "sources": []}})");
    change("/host/v1/messages/dynamic-configuration");
    changes += 3;
    if (round % 5 == 4) {
      // Game data and the remote service fail for one reload, then the
      // session comes back whole.
      ++fault_epoch;
      change("/host/v1/faults", R"({"championSummary": 1, "inventory": 1})");
      change("/host/v1/reconnect");
      change("/host/v1/login");
      change("/host/v1/faults", R"({"championSummary": 0, "inventory": 0})");
      change("/host/v1/login");
      EXPECT_TRUE(WaitForFullList(host));
      ++fault_epoch;
      changes += 2;
    }
    peak_kib = std::max(peak_kib, ResidentKiB(host.Pid()));
  }
  stop = true;
  for (std::thread& reader : readers) reader.join();
  published = host.Get("/host/v1/counters").value.Find("events").Find("published").AsUnsigned();
  events.join();

  EXPECT_EQ(unexplained, 0u) << ::testing::PrintToString(failures);
  EXPECT_GE(reads, 4 * routes.size());  // every reader went through every route
  EXPECT_GT(changes, 0);
  EXPECT_EQ(out_of_order, 0u);
  EXPECT_EQ(last_id, published);
  EXPECT_LT(peak_kib, settled_kib + kResidentGrowthKiB)
      << "settled " << settled_kib << " KiB, peak " << peak_kib << " KiB";
  EXPECT_EQ(host.Stop(), 0) << host.Output();
  std::cout << "soak: " << reads << " reads, " << changes << " changes, " << last_id << " events (" << lost
            << " lost to the stream's bound), resident " << settled_kib << " -> peak " << peak_kib << " KiB\n";
}

}  // namespace
}  // namespace kel::host::testing
