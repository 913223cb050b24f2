#include "host/game_data_source.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "host/json.h"

namespace kel::host {
namespace {

constexpr std::string_view kSummaryName = "champion-summary.json";
constexpr std::string_view kChampionPrefix = "champions/";
constexpr std::string_view kJsonSuffix = ".json";

std::string ChampionName(int32_t id) { return std::string(kChampionPrefix) + std::to_string(id) + ".json"; }

}  // namespace

std::optional<int32_t> GameDataSource::ChampionIdOf(std::string_view name) {
  if (!name.starts_with(kChampionPrefix) || !name.ends_with(kJsonSuffix)) return std::nullopt;
  const std::string_view digits =
      name.substr(kChampionPrefix.size(), name.size() - kChampionPrefix.size() - kJsonSuffix.size());
  int32_t id = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return id;
}

GameDataSource::GameDataSource(const datagen::GeneratedWorld& world) {
  generated_.emplace(std::string(kSummaryName), world.ChampionSummaryJson());
  for (const datagen::GameChampion& champion : world.Champions()) {
    generated_.emplace(ChampionName(champion.id), world.ChampionJson(champion.id));
  }
  total_ = static_cast<uint32_t>(generated_.size());
}

GameDataSource::GameDataSource(std::filesystem::path folder) : folder_(std::move(folder)) {
  const std::optional<std::string> summary = Load(kSummaryName);
  if (!summary) return;
  const Result<Json> parsed = ParseJson(*summary);
  if (parsed.Ok() && parsed.Value().IsArray()) total_ = 1 + parsed.Value().Size();
}

std::optional<std::string> GameDataSource::Load(std::string_view name) const {
  // Only the two known forms reach the file system, so no name can leave
  // the folder.
  if (name != kSummaryName && !ChampionIdOf(name)) return std::nullopt;
  if (!folder_) {
    const auto found = generated_.find(name);
    if (found == generated_.end()) return std::nullopt;
    return found->second;
  }
  std::ifstream file(*folder_ / std::string(name), std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return std::move(text).str();
}

std::optional<std::string> GameDataSource::Read(std::string_view name) {
  std::optional<std::string> text = Load(name);
  if (text) {
    std::lock_guard lock(mutex_);
    served_.emplace(name);
  }
  return text;
}

uint32_t GameDataSource::ServedFiles() const {
  std::lock_guard lock(mutex_);
  return static_cast<uint32_t>(served_.size());
}

uint32_t GameDataSource::TotalFiles() const { return total_; }

}  // namespace kel::host
