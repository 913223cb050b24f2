#include "datagen/generated_world.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "datagen/configuration_builder.h"
#include "datagen/game_data_builder.h"
#include "datagen/game_data_json.h"
#include "datagen/ownership_builder.h"
#include "datagen/ownership_json.h"
#include "datagen/split_mix.h"

namespace kel::datagen {
namespace {

// Salts that give each part of the world its own stream.
constexpr uint64_t kGameDataStream = 1;
constexpr uint64_t kConfigurationStream = 2;
constexpr uint64_t kOwnershipStream = 3;

std::string WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return out ? std::string() : "Could not write " + path.string();
}

}  // namespace

GeneratedWorld::GeneratedWorld(uint64_t seed, const WorldOptions& options)
    : seed_(seed),
      champions_(BuildGameData(SplitMix(seed).Fork(kGameDataStream), options)),
      configuration_(BuildConfiguration(SplitMix(seed).Fork(kConfigurationStream), champions_, options)) {}

const GameChampion* GeneratedWorld::FindChampion(int32_t championId) const& {
  auto found = std::lower_bound(champions_.begin(), champions_.end(), championId,
                                [](const GameChampion& champion, int32_t id) { return champion.id < id; });
  return found != champions_.end() && found->id == championId ? &*found : nullptr;
}

std::string GeneratedWorld::ChampionSummaryJson() const { return kel::datagen::ChampionSummaryJson(champions_); }

std::string GeneratedWorld::ChampionJson(int32_t championId) const {
  const GameChampion* champion = FindChampion(championId);
  return champion ? GameChampionJson(*champion) : std::string();
}

std::vector<ChampionOwnershipRecord> GeneratedWorld::Ownership(uint64_t summonerId, uint64_t nowMs) const {
  SplitMix rng = SplitMix(seed_).Fork(kOwnershipStream).Fork(summonerId);
  return BuildOwnership(rng, champions_, configuration_, nowMs);
}

std::string GeneratedWorld::OwnershipReplyJson(uint64_t summonerId, uint64_t nowMs) const {
  return kel::datagen::OwnershipReplyJson(Ownership(summonerId, nowMs));
}

std::vector<ResourceText> GeneratedWorld::ConfigurationResources() const {
  return kel::datagen::ConfigurationResources(configuration_);
}

std::string GeneratedWorld::DynamicConfigurationEventJson() const {
  return kel::datagen::DynamicConfigurationEventJson(configuration_);
}

std::string GeneratedWorld::WriteGameDataFiles(const std::filesystem::path& dir) const {
  std::error_code error;
  std::filesystem::create_directories(dir / "champions", error);
  if (error) return "Could not create " + (dir / "champions").string() + ": " + error.message();
  std::string failure = WriteFile(dir / "champion-summary.json", ChampionSummaryJson());
  for (const GameChampion& champion : champions_) {
    if (!failure.empty()) break;
    failure = WriteFile(dir / "champions" / (std::to_string(champion.id) + ".json"), GameChampionJson(champion));
  }
  return failure;
}

}  // namespace kel::datagen
