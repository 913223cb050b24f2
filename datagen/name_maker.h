#pragma once
// Invented but plausible texts: champion and skin names, spells, colours.

#include <string>

#include "datagen/split_mix.h"
#include "datagen/world_model.h"

namespace kel::datagen {

// Two or three syllables; now and then "Kel'Mara" or "Tor Vane" forms.
std::string MakeChampionName(SplitMix& rng);

// The name with everything but ASCII letters and digits removed.
std::string AliasOf(const std::string& name);

// A themed name for a non-base skin of the champion; some themes carry
// non-ASCII letters so the UTF-8 path is exercised.
std::string MakeSkinName(SplitMix& rng, const std::string& championName);

GameSpell MakeSpell(SplitMix& rng, const std::string& championName);

// "#RRGGBB" in upper-case hex.
std::string MakeColour(SplitMix& rng);

}  // namespace kel::datagen
