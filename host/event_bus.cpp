#include "host/event_bus.h"

#include "host/host_value_json.h"

namespace kel::host {

EventBus::EventBus(WorkerPool& pool, EventHub& hub) : pool_(pool), hub_(hub) {}

void EventBus::Subscribe(const std::string& name, uint32_t plugin_handle, EventCallbackFn callback, void* context,
                         uint32_t flag) {
  std::lock_guard lock(mutex_);
  subscriptions_[name] = Subscription{plugin_handle, callback, context, flag};
}

void EventBus::Unsubscribe(const std::string& name, uint32_t plugin_handle) {
  std::lock_guard lock(mutex_);
  const auto found = subscriptions_.find(name);
  if (found != subscriptions_.end() && found->second.plugin_handle == plugin_handle) subscriptions_.erase(found);
}

std::optional<EventBus::Subscription> EventBus::Find(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return FindLocked(name);
}

std::optional<EventBus::Subscription> EventBus::FindLocked(const std::string& name) const {
  const auto found = subscriptions_.find(name);
  if (found == subscriptions_.end() || found->second.callback == nullptr) return std::nullopt;
  return found->second;
}

EventBus::Delivered EventBus::Deliver(const std::string& name, const JsonValue& payload) {
  auto done = std::make_shared<std::promise<void>>();
  Delivered delivered = done->get_future().share();
  {
    std::lock_guard lock(mutex_);
    if (!FindLocked(name)) {
      done->set_value();
      return delivered;
    }
    Strand& strand = strands_[name];
    strand.pending.push_back({std::make_shared<const Json>(CopyJson(payload)), std::move(done)});
    if (strand.draining) return delivered;
    strand.draining = true;
  }
  Job job;
  job.kind = JobKind::kEvent;
  job.run = [this, name] { Drain(name); };
  job.discard = [this, name] {
    std::deque<Pending> dropped;
    {
      std::lock_guard lock(mutex_);
      dropped.swap(strands_[name].pending);
      strands_.erase(name);
    }
    for (Pending& pending : dropped) pending.done->set_value();
  };
  pool_.Submit(std::move(job));
  return delivered;
}

void EventBus::Drain(const std::string& name) {
  for (;;) {
    Pending next;
    {
      std::lock_guard lock(mutex_);
      Strand& strand = strands_[name];
      if (strand.pending.empty()) {
        strand.draining = false;
        return;
      }
      next = std::move(strand.pending.front());
      strand.pending.pop_front();
    }
    Call(name, *next.payload);
    next.done->set_value();
  }
}

bool EventBus::DeliverHere(const std::string& name, const JsonValue& payload) {
  if (!Find(name)) return false;
  Call(name, payload);
  return true;
}

void EventBus::Call(const std::string& name, const JsonValue& payload) {
  const std::optional<Subscription> subscription = Find(name);
  if (!subscription) return;
  const EncodedHostValue value(payload);
  IncomingEventRecord record{};
  record.name = name.c_str();
  record.payload = value.Get();
  record.context = subscription->context;
  ++delivered_;
  subscription->callback(&record);
}

void EventBus::Publish(const OutgoingEventRecord& record) {
  if (record.name == nullptr) return;
  const std::string name(record.name);
  ++published_;
  // {"name", "uri", "eventType", "data"}, written straight from the
  // plug-in's value: the data may be the whole champion list.
  std::string text;
  {
    JsonTextWriter out(text);
    out.Raw(R"({"name":)");
    out.String(name);
    for (std::string_view member : {"uri", "eventType", "data"}) {
      out.Raw(',');
      out.String(member);
      out.Raw(':');
      const HostValue* value = FindHostValueMember(record.payload, member);
      if (value != nullptr) {
        WriteHostValue(out, *value);
      } else {
        out.Null();
      }
    }
    out.Raw('}');
  }
  hub_.Add(name, std::move(text));
  // Nothing in the host listens to what the plug-in publishes unless a
  // subscription says so; only then is the payload read back.
  if (Find(name)) {
    const Result<Json> payload = ParseJson(HostValueToJson(record.payload));
    const JsonValue none;
    Deliver(name, payload.Ok() ? static_cast<const JsonValue&>(payload.Value()) : none);
  }
}

std::vector<std::string> EventBus::SubscribedNames() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  names.reserve(subscriptions_.size());
  for (const auto& [name, subscription] : subscriptions_) names.push_back(name);
  return names;
}

}  // namespace kel::host
