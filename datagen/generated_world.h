#pragma once
// A deterministic world of champions for tests, benchmarks and the
// development host: the same seed and options give the same bytes on every
// platform and build. Generating the default world (170 champions, about
// 1,700 skins and 3,000 chromas) takes a few milliseconds.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "datagen/configuration_json.h"
#include "datagen/world_model.h"
#include "datagen/world_options.h"

namespace kel::datagen {

class GeneratedWorld {
 public:
  explicit GeneratedWorld(uint64_t seed, const WorldOptions& options = WorldOptions());

  // Game data, ascending champion ids. These three are not offered on a
  // temporary world, whose data would be gone before the caller reads it
  // (as in a range-for over GeneratedWorld(1).Champions()).
  const std::vector<GameChampion>& Champions() const& { return champions_; }
  const std::vector<GameChampion>& Champions() && = delete;
  const GameChampion* FindChampion(int32_t championId) const&;
  const GameChampion* FindChampion(int32_t championId) && = delete;
  const LiveConfiguration& Configuration() const& { return configuration_; }
  const LiveConfiguration& Configuration() && = delete;

  // "/kel-game-data/assets/v1/champion-summary.json"
  std::string ChampionSummaryJson() const;
  // "/kel-game-data/assets/v1/champions/<id>.json"; empty for an unknown id.
  std::string ChampionJson(int32_t championId) const;

  // What the inventory service answers for a summoner at `nowMs` (ms since
  // 1970-01-01 UTC). The mix depends on the seed and the summoner; `nowMs`
  // only moves the dates (legacy rentals end shortly after it).
  std::vector<ChampionOwnershipRecord> Ownership(uint64_t summonerId, uint64_t nowMs) const;
  // The same as the invoke relay's response text.
  std::string OwnershipReplyJson(uint64_t summonerId, uint64_t nowMs) const;

  // The four platform-configuration resources and the remote
  // configuration event (see configuration_json.h).
  std::vector<ResourceText> ConfigurationResources() const;
  std::string DynamicConfigurationEventJson() const;

  // Writes champion-summary.json and champions/<id>.json under `dir`, which
  // then stands for "/kel-game-data/assets/v1/". Returns an empty text on
  // success, otherwise what went wrong.
  std::string WriteGameDataFiles(const std::filesystem::path& dir) const;

 private:
  uint64_t seed_;
  std::vector<GameChampion> champions_;
  LiveConfiguration configuration_;
};

}  // namespace kel::datagen
