// Core threads deliver events while other threads (and the listeners
// themselves) subscribe and unsubscribe. Run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/test_plugin.h"
#include "support/core_events.h"

namespace kel::testing {
namespace {

using enum PluginResourceEventType;

constexpr int kDeliveriesPerThread = 300;
constexpr int kDeliveryThreads = 3;
constexpr int kChurnPerThread = 300;
constexpr int kChurnThreads = 2;

TEST(SubscriptionThreadsTest, DeliveriesRaceWithSubscriptionsWithoutLosingEvents) {
  TestPlugin plugin;
  AppModule& module = plugin.module;
  std::atomic<int> hot{0};
  std::atomic<int> drov{0};
  module.AddResourceListener("/stress/v1/hot", [&](const PluginResourceEvent&) {
    const int n = hot.fetch_add(1);
    // A listener that subscribes and unsubscribes while others deliver.
    const std::string path = "/inner/v1/p" + std::to_string(n % 3);
    module.SubscribeResourceEvent(path);
    module.UnsubscribeResourceEvent(path);
  });
  module.SubscribeDrovClass("stress.Message", [&](const PluginDrovEvent&) { drov.fetch_add(1); });

  BindingValue data;
  data.SetString("tick");
  const BindingValue resourcePayload = ResourceEventPayload("stress/v1/hot", Update, data);
  const BindingValue drovPayload = DrovMessagePayload("stress.Message", data);

  std::vector<std::thread> threads;
  for (int t = 0; t < kDeliveryThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kDeliveriesPerThread; ++i) {
        DeliverEvent(plugin.core, "OnJsonApiEvent_stress_v1_hot", resourcePayload);
        if (i % 10 == 0) DeliverEvent(plugin.core, "OnDrovEvent_stress_Message", drovPayload);
      }
    });
  }
  for (int t = 0; t < kChurnThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kChurnPerThread; ++i) {
        const std::string path = "/churn/v" + std::to_string(t) + "/*/x" + std::to_string(i % 5);
        module.AddResourceListener(path, [](const PluginResourceEvent&) {});
        module.UnsubscribeResourceEvent(path);
        // The hot name keeps its first reference, so it never leaves the core.
        module.SubscribeResourceEvent("/stress/v1/hot/other");
        module.UnsubscribeResourceEvent("/stress/v1/hot/other");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(hot.load(), kDeliveryThreads * kDeliveriesPerThread);
  EXPECT_EQ(plugin.core.SubscriptionCount("OnJsonApiEvent_stress_v1_hot"), 1u);
  TaskRunner(plugin.core).RunPending();
  EXPECT_EQ(drov.load(), kDeliveryThreads * (kDeliveriesPerThread / 10));
}

}  // namespace
}  // namespace kel::testing
