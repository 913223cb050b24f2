#pragma once
// Knobs of the generated world. The defaults give the real client's scale.

#include <cstdint>

namespace kel::datagen {

struct WorldOptions {
  uint32_t championCount = 170;
  uint32_t minSkins = 8;       // per champion, base skin included; at least 1
  uint32_t maxSkins = 15;      // raised to minSkins when below it
  uint32_t rotationSize = 16;  // free-to-play rotation
  uint32_t newPlayerChampionCount = 10;
  uint32_t newPlayerMaxLevel = 10;

  // The default world with `factor` times as many champions (and so skins
  // and chromas), for measuring how the inventory grows.
  static WorldOptions Scaled(uint32_t factor) {
    WorldOptions options;
    options.championCount *= factor;
    return options;
  }
};

}  // namespace kel::datagen
