#include "host/event_hub.h"

#include "host/value_json.h"

namespace kel::host {

void EventHub::Add(const std::string& name, const BindingValue& payload) {
  // {"name", "uri", "eventType", "data"}, written piece by piece: the data
  // may be the whole champion list, too big to copy into a new value.
  BindingValue shownName;
  shownName.SetString(name);
  auto event = std::make_shared<PublishedEvent>();
  event->name = name;
  // Sized exactly: appending the closing brace to the data's text would
  // double its capacity, and the bound below counts sizes.
  const std::string head = "{\"name\":" + ToJsonText(shownName) + ",\"uri\":" + ToJsonText(payload.Find("uri")) +
                           ",\"eventType\":" + ToJsonText(payload.Find("eventType")) + ",\"data\":";
  const std::string data = ToJsonText(payload.Find("data"));
  event->json.reserve(head.size() + data.size() + 1);
  event->json.append(head).append(data).push_back('}');
  std::lock_guard lock(mutex_);
  event->sequence = ++last_;
  bytes_ += event->json.size();
  events_.push_back(std::move(event));
  while (events_.size() > kMaxEvents || (bytes_ > kMaxBytes && events_.size() > 1)) {
    bytes_ -= events_.front()->json.size();
    events_.pop_front();
  }
  added_.notify_all();
}

bool EventHub::WaitAfter(uint64_t after, std::chrono::milliseconds timeout, std::vector<EventPtr>& out) {
  std::unique_lock lock(mutex_);
  added_.wait_for(lock, timeout, [&] { return closed_ || last_ > after; });
  if (closed_) return false;
  std::size_t bytes = 0;
  for (const EventPtr& event : events_) {
    if (event->sequence <= after) continue;
    if (!out.empty() && bytes + event->json.size() > kMaxBatchBytes) break;
    bytes += event->json.size();
    out.push_back(event);
  }
  return true;
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
