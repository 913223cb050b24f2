#include "host/faults.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <chrono>

namespace kel::host {

bool FailureBudget::Take() {
  int64_t current = remaining_.load();
  for (;;) {
    if (current == 0) return false;
    if (current < 0) return true;
    if (remaining_.compare_exchange_weak(current, current - 1)) return true;
  }
}

void Faults::Delay() {
  const uint32_t ms = delay_ms_.load();
  if (ms == 0) return;
  std::unique_lock lock(mutex_);
  delays_ended_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return no_delays_; });
}

void Faults::EndDelays() {
  std::lock_guard lock(mutex_);
  no_delays_ = true;
  delays_ended_.notify_all();
}

void Faults::SetChampionFailures(int32_t champion_id, int64_t count) {
  std::lock_guard lock(mutex_);
  if (count == 0) {
    champions_.erase(champion_id);
  } else {
    champions_[champion_id] = count;
  }
}

bool Faults::TakeChampionFailure(int32_t champion_id) {
  std::lock_guard lock(mutex_);
  const auto found = champions_.find(champion_id);
  if (found == champions_.end()) return false;
  if (found->second > 0 && --found->second == 0) champions_.erase(found);
  return true;
}

namespace {

// A count as given: a number of failures, -1 for ever; a number given as a
// float is cut to its integer part, anything else counts as none.
int64_t CountOf(const JsonValue& value) {
  if (value.IsInt64()) return value.GetInt64();
  if (value.IsUint64()) return INT64_MAX;
  if (value.IsNumber()) return static_cast<int64_t>(value.GetDouble());
  return 0;
}

}  // namespace

Outcome Faults::Apply(const JsonValue& settings) {
  if (!settings.IsObject()) return Failure{"Expected a JSON object of faults."};
  const JsonValue* champions = FindMember(settings, "champions");
  if (champions != nullptr && champions->IsObject()) {
    for (const auto& member : champions->GetObject()) {
      int32_t id = 0;
      const std::string_view key(member.name.GetString(), member.name.GetStringLength());
      if (std::from_chars(key.data(), key.data() + key.size(), id).ec != std::errc()) {
        return Failure{"Champion ids must be numbers: " + std::string(key)};
      }
    }
  }
  if (const JsonValue* summary = FindMember(settings, "championSummary")) summary_.Set(CountOf(*summary));
  if (const JsonValue* inventory = FindMember(settings, "inventory")) inventory_.Set(CountOf(*inventory));
  if (const JsonValue* delay = FindMember(settings, "delayMs")) {
    const int64_t ms = CountOf(*delay);
    delay_ms_.store(static_cast<uint32_t>(std::clamp<int64_t>(ms, 0, 60000)));
  }
  if (champions != nullptr && champions->IsObject()) {
    for (const auto& member : champions->GetObject()) {
      int32_t id = 0;
      std::from_chars(member.name.GetString(), member.name.GetString() + member.name.GetStringLength(), id);
      SetChampionFailures(id, CountOf(member.value));
    }
  }
  return Done{};
}

std::string Faults::Describe() const {
  return WrittenJson([&](JsonWriter& out) {
    out.StartObject();
    out.Key("championSummary");
    out.Int64(summary_.Remaining());
    out.Key("inventory");
    out.Int64(inventory_.Remaining());
    out.Key("delayMs");
    out.Uint(delay_ms_.load());
    out.Key("champions");
    out.StartObject();
    std::lock_guard lock(mutex_);
    for (const auto& [id, count] : champions_) {
      out.Key(std::to_string(id).c_str());
      out.Int64(count);
    }
    out.EndObject();
    out.EndObject();
  });
}

Result<ChampionFault> ParseChampionFault(const std::string& text) {
  const Failure refused{"expected ID or ID:COUNT, got " + text};
  ChampionFault fault;
  const std::size_t colon = text.find(':');
  const std::string id_text = text.substr(0, colon);
  if (id_text.empty() ||
      std::from_chars(id_text.data(), id_text.data() + id_text.size(), fault.champion_id).ec != std::errc()) {
    return refused;
  }
  if (colon == std::string::npos) return fault;
  const std::string count_text = text.substr(colon + 1);
  if (count_text.empty() ||
      std::from_chars(count_text.data(), count_text.data() + count_text.size(), fault.count).ec != std::errc()) {
    return refused;
  }
  return fault;
}

}  // namespace kel::host
