// The plug-in's four trace providers. They register when the module is
// loaded and unregister when it is unloaded; without a tracing facility they
// stay off and cost nothing.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/trace_facility.h"

namespace kel::log {

class TraceProvider {
 public:
  explicit TraceProvider(const platform::TraceGuid& id) : id_(id) {}
  TraceProvider(const TraceProvider&) = delete;
  TraceProvider& operator=(const TraceProvider&) = delete;

  bool Register(const platform::TraceFacility& facility);
  void Unregister();

  bool registered() const { return facility_ != nullptr; }
  bool enabled() const { return enabled_; }
  uint8_t level() const { return level_; }
  uint64_t match_any_keyword() const { return match_any_keyword_; }
  uint64_t match_all_keyword() const { return match_all_keyword_; }
  uint64_t handle() const { return handle_; }
  const platform::TraceGuid& id() const { return id_; }

 private:
  static void OnEnable(void* context, bool enabled, uint8_t level, uint64_t match_any, uint64_t match_all);

  const platform::TraceGuid id_;
  const platform::TraceFacility* facility_ = nullptr;
  uint64_t handle_ = 0;
  // Written by the facility's callback, possibly on another thread.
  std::atomic<bool> enabled_{false};
  std::atomic<uint8_t> level_{0};
  std::atomic<uint64_t> match_any_keyword_{0};
  std::atomic<uint64_t> match_all_keyword_{0};
};

class TraceProviders {
 public:
  // Registers the four providers with the current facility, if any; when
  // the second is enabled at once, names the calling thread "Main thread".
  TraceProviders();
  ~TraceProviders();
  TraceProviders(const TraceProviders&) = delete;
  TraceProviders& operator=(const TraceProviders&) = delete;

  const TraceProvider& provider(size_t index) const { return providers_[index]; }

 private:
  std::array<TraceProvider, 4> providers_;
};

}  // namespace kel::log
