// The game-data plug-in's files: "champion-summary.json" and
// "champions/<id>.json" under "/kel-game-data/assets/v1/", from the
// generated world or from a folder, with the count of distinct files served
// for the loading progress.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "datagen/generated_world.h"

namespace kel::host {

class GameDataSource {
 public:
  // Serves the world's texts, generated once here.
  explicit GameDataSource(const datagen::GeneratedWorld& world);
  // Serves the files of `folder`, read when asked for.
  explicit GameDataSource(std::filesystem::path folder);

  // `name` is the part after "/kel-game-data/assets/v1/". Only the two file
  // forms above are served; anything else, or a missing file, is nothing.
  std::optional<std::string> Read(std::string_view name);

  // Files served at least once, and all there are to serve: the summary and
  // one per champion it lists.
  uint32_t ServedFiles() const;
  uint32_t TotalFiles() const;

  // A champion id from "champions/<id>.json", or nothing for another name.
  static std::optional<int32_t> ChampionIdOf(std::string_view name);

 private:
  std::optional<std::string> Load(std::string_view name) const;

  std::optional<std::filesystem::path> folder_;
  std::map<std::string, std::string, std::less<>> generated_;
  uint32_t total_ = 1;
  mutable std::mutex mutex_;
  std::set<std::string, std::less<>> served_;
};

}  // namespace kel::host
