#include "host/event_hub.h"

namespace kel::host {

void EventHub::Add(const std::string& name, std::string json) {
  auto event = std::make_shared<PublishedEvent>();
  event->name = name;
  event->json = std::move(json);
  // The writer grows a text by doubling, so it may hold nearly twice its
  // size, and the bound below counts sizes: what is kept holds only its text.
  event->json.shrink_to_fit();
  std::lock_guard lock(mutex_);
  event->sequence = ++last_;
  bytes_ += event->json.size();
  events_.push_back(std::move(event));
  while (events_.size() > kMaxEvents || (bytes_ > kMaxBytes && events_.size() > 1)) {
    bytes_ -= events_.front()->json.size();
    dropped_through_ = events_.front()->sequence;
    events_.pop_front();
  }
  added_.notify_all();
}

std::optional<EventHub::Batch> EventHub::WaitAfter(uint64_t after, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  added_.wait_for(lock, timeout, [&] { return closed_ || last_ > after; });
  if (closed_) return std::nullopt;
  Batch batch;
  // Events are dropped oldest first, so everything up to the last dropped
  // one is gone for a cursor before it.
  if (dropped_through_ > after) batch.dropped_through = dropped_through_;
  std::size_t bytes = 0;
  for (const EventPtr& event : events_) {
    if (event->sequence <= after) continue;
    if (!batch.events.empty() && bytes + event->json.size() > kMaxBatchBytes) break;
    bytes += event->json.size();
    batch.events.push_back(event);
  }
  return batch;
}

void EventHub::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  added_.notify_all();
}

uint64_t EventHub::LastSequence() const {
  std::lock_guard lock(mutex_);
  return last_;
}

}  // namespace kel::host
