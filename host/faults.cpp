#include "host/faults.h"

#include <charconv>
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

std::string Faults::Apply(const BindingValue& settings) {
  if (!settings.IsStructure()) return "Expected a JSON object of faults.";
  const BindingValue& summary = settings.Find("championSummary");
  if (!summary.IsEmpty()) summary_.Set(summary.AsSigned());
  const BindingValue& inventory = settings.Find("inventory");
  if (!inventory.IsEmpty()) inventory_.Set(inventory.AsSigned());
  const BindingValue& delay = settings.Find("delayMs");
  if (!delay.IsEmpty()) delay_ms_.store(static_cast<uint32_t>(std::min<uint64_t>(delay.AsUnsigned(), 60000)));
  for (const auto [key, value] : settings.Find("champions").Members()) {
    int32_t id = 0;
    if (std::from_chars(key.data(), key.data() + key.size(), id).ec != std::errc()) {
      return "Champion ids must be numbers: " + std::string(key);
    }
    SetChampionFailures(id, value.AsSigned());
  }
  return {};
}

BindingValue Faults::Describe() const {
  BindingValue shown;
  shown.Member("championSummary").SetSigned(summary_.Remaining());
  shown.Member("inventory").SetSigned(inventory_.Remaining());
  shown.Member("delayMs").SetUnsigned(delay_ms_.load());
  BindingValue& champions = shown.Member("champions");
  champions.MakeStructure();
  std::lock_guard lock(mutex_);
  for (const auto& [id, count] : champions_) champions.Member(std::to_string(id)).SetSigned(count);
  return shown;
}

bool ParseChampionFault(const std::string& text, int32_t& champion_id, int64_t& count) {
  const std::size_t colon = text.find(':');
  const std::string id_text = text.substr(0, colon);
  if (std::from_chars(id_text.data(), id_text.data() + id_text.size(), champion_id).ec != std::errc() ||
      id_text.empty()) {
    return false;
  }
  count = -1;
  if (colon == std::string::npos) return true;
  const std::string count_text = text.substr(colon + 1);
  return std::from_chars(count_text.data(), count_text.data() + count_text.size(), count).ec == std::errc() &&
         !count_text.empty();
}

}  // namespace kel::host
