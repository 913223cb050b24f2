// The events the plug-in published, in order, for the event stream: each as
// one JSON object {"name", "uri", "eventType", "data"}. The newest are kept
// (bounded by count and bytes); readers follow by sequence number.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kel::host {

struct PublishedEvent {
  uint64_t sequence = 0;  // from 1
  std::string name;
  std::string json;
};

class EventHub {
 public:
  using EventPtr = std::shared_ptr<const PublishedEvent>;

  // Any thread. `json` is the whole event object.
  void Add(const std::string& name, std::string json);
  // What a reader gets next: the kept events after its cursor, and the
  // last sequence number it can no longer get because the bound dropped it
  // (0 when nothing after the cursor was dropped).
  struct Batch {
    uint64_t dropped_through = 0;
    std::vector<EventPtr> events;
  };
  // The kept events after `after`, waiting up to `timeout` for one to
  // arrive when there is none; at least one and at most about
  // kMaxBatchBytes of them, so that a reader that fell behind does not keep
  // the events dropped meanwhile alive besides the kept ones. Nothing once
  // the hub is closed.
  std::optional<Batch> WaitAfter(uint64_t after, std::chrono::milliseconds timeout);
  // Wakes every reader for good.
  void Close();
  uint64_t LastSequence() const;

 private:
  static constexpr std::size_t kMaxEvents = 20000;
  static constexpr std::size_t kMaxBytes = std::size_t{96} << 20;
  static constexpr std::size_t kMaxBatchBytes = std::size_t{8} << 20;

  mutable std::mutex mutex_;
  std::condition_variable added_;
  std::deque<EventPtr> events_;
  std::size_t bytes_ = 0;
  uint64_t last_ = 0;
  uint64_t dropped_through_ = 0;
  bool closed_ = false;
};

}  // namespace kel::host
