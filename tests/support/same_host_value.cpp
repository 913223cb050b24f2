#include "support/same_host_value.h"

#include <cstring>
#include <string>
#include <vector>

namespace kel::testing {

::testing::AssertionResult SameHostValue(const HostValue& expected, const HostValue& actual) {
  struct Pair {
    const HostValue* expected;
    const HostValue* actual;
    std::string path;
  };
  std::vector<Pair> pending{{&expected, &actual, "$"}};
  while (!pending.empty()) {
    const Pair pair = pending.back();
    pending.pop_back();
    const HostValue& a = *pair.expected;
    const HostValue& b = *pair.actual;
    if (a.kind != b.kind) {
      return ::testing::AssertionFailure() << pair.path << ": kind " << a.kind << " vs " << b.kind;
    }
    if (std::memcmp(&a.payload, &b.payload, sizeof a.payload) == 0) continue;
    const HostValueReference& ra = a.payload.reference;
    const HostValueReference& rb = b.payload.reference;
    const bool referenced = a.kind >= kHostValueBorrowedString && a.kind <= kHostValueMap;
    if (!referenced || ra.count != rb.count) {
      return ::testing::AssertionFailure() << pair.path << ": payload or count differs";
    }
    if (a.kind == kHostValueArray) {
      const auto* ea = static_cast<const HostValue*>(ra.pointer);
      const auto* eb = static_cast<const HostValue*>(rb.pointer);
      for (std::uint32_t i = 0; i < ra.count; ++i)
        pending.push_back({&ea[i], &eb[i], pair.path + "[" + std::to_string(i) + "]"});
    } else if (a.kind == kHostValueMap) {
      const auto* ea = static_cast<const HostValueMapEntry*>(ra.pointer);
      const auto* eb = static_cast<const HostValueMapEntry*>(rb.pointer);
      for (std::uint32_t i = 0; i < ra.count; ++i) {
        if (std::strcmp(ea[i].key, eb[i].key) != 0 || ea[i].owns_key != eb[i].owns_key) {
          return ::testing::AssertionFailure() << pair.path << ": key " << ea[i].key << " vs " << eb[i].key;
        }
        pending.push_back({&ea[i].value, &eb[i].value, pair.path + "." + ea[i].key});
      }
    } else {
      const std::size_t bytes =
          a.kind == kHostValueOwnedBlob || a.kind == kHostValueBorrowedBlob ? ra.count : ra.count + 1;
      if (std::memcmp(ra.pointer, rb.pointer, bytes) != 0) {
        return ::testing::AssertionFailure() << pair.path << ": bytes differ";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace kel::testing
