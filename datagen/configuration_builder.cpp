#include "datagen/configuration_builder.h"

#include <algorithm>

namespace kel::datagen {
namespace {

std::vector<int32_t> ChampionIds(const std::vector<GameChampion>& champions) {
  std::vector<int32_t> ids;
  ids.reserve(champions.size());
  for (const GameChampion& champion : champions) ids.push_back(champion.id);
  return ids;
}

// `count` distinct ids from `pool` (fewer when the pool is smaller), ascending.
std::vector<int32_t> DrawDistinct(SplitMix& rng, std::vector<int32_t> pool, std::size_t count) {
  rng.Shuffle(pool);
  pool.resize(std::min(count, pool.size()));
  std::sort(pool.begin(), pool.end());
  return pool;
}

// A few skins and chromas of random champions, each drawn once at most.
std::vector<int32_t> DrawDisabledSkins(SplitMix& rng, const std::vector<GameChampion>& champions) {
  std::vector<int32_t> skins;
  std::vector<int32_t> chromas;
  for (const GameChampion& champion : champions) {
    for (const GameSkin& skin : champion.skins) {
      if (!skin.isBase) skins.push_back(skin.id);
      for (const GameChroma& chroma : skin.chromas) chromas.push_back(chroma.id);
    }
  }
  std::vector<int32_t> disabled = DrawDistinct(rng, std::move(skins), 4);
  std::vector<int32_t> disabledChromas = DrawDistinct(rng, std::move(chromas), 2);
  disabled.insert(disabled.end(), disabledChromas.begin(), disabledChromas.end());
  return disabled;
}

}  // namespace

LiveConfiguration BuildConfiguration(SplitMix rng, const std::vector<GameChampion>& champions,
                                     const WorldOptions& options) {
  const std::vector<int32_t> ids = ChampionIds(champions);
  LiveConfiguration config;
  config.rotationChampionIds = DrawDistinct(rng, ids, options.rotationSize);
  // New players get older champions: draw from the first half of the ids.
  const std::vector<int32_t> olderIds(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>((ids.size() + 1) / 2));
  config.newPlayerChampionIds = DrawDistinct(rng, olderIds, options.newPlayerChampionCount);
  config.newPlayerMaxLevel = options.newPlayerMaxLevel;
  config.inactiveChampionIds = DrawDistinct(rng, ids, std::min<std::size_t>(2, ids.size() / 2));
  config.disabledSkinIds = DrawDisabledSkins(rng, champions);
  const std::pair<const char*, std::size_t> queues[] = {{"RANKED_SOLO", 2}, {"RANKED_FLEX", 1}, {"ALL_RANDOM", 3}};
  for (const auto& [queue, count] : queues) {
    config.disabledQueues.emplace_back(queue, DrawDistinct(rng, ids, count));
  }
  return config;
}

}  // namespace kel::datagen
