// Independent trees on many threads at once share only the page allocator.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "binding/binding_value.h"

namespace kel {
namespace {

TEST(BindingValueThreadsTest, IndependentTreesOnManyThreads) {
  constexpr int kThreads = 8;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      for (int round = 0; round < 20; ++round) {
        BindingValue tree;
        for (int i = 0; i < 600; ++i) {
          BindingValue& record = tree.Index(i);
          record.Member("id").SetSigned(i);
          record.Member("name").SetString("champion " + std::to_string(i % 50));
          record.Member("tags").Index(2).SetEnum(t, nullptr);
        }
        BindingValue copy(tree);
        tree.Clear();
        for (int i = 0; i < 600; ++i) {
          if (copy.Get(i).Find("id").GetSigned(-1) != i) ++failures[t];
          if (copy.Get(i).Find("tags").Get(2).GetEnum().value != t) ++failures[t];
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace kel
