#include "datagen/name_maker.h"

#include <cctype>

namespace kel::datagen {
namespace {

const char* const kOnsets[] = {"b", "br", "c", "d", "dr", "f", "g",  "gr", "h",  "j", "k", "kh", "l", "m",
                               "n", "p",  "r", "s", "sh", "t", "th", "v",  "vr", "x", "z", "y",  "w"};
const char* const kVowels[] = {"a", "e", "i", "o", "u", "ae", "ia", "ou", "y", "a", "e", "o"};
const char* const kCodas[] = {"", "", "", "n", "r", "s", "th", "l", "x", "k", "sh", "m"};

const char* const kThemes[] = {
    "Astral",    "Clockwork", "Frostbound", "Harbor",      "Ironclad", "Lunar",     "Moonlit", "Neon",     "Obsidian",
    "Porcelain", "Riverborn", "Solar",      "Stormcaller", "Sunken",   "Thornwood", "Velvet",  "Wildfire", "Crystal",
    "Ember",     "Glacier",   "Tidal",      "Ashen",       "Gilded",   "Phantom",   "Rusted",  "Spectral", "Verdant",
    "Midnight",  "Copper",    "Dune",       "Mirage",      "Nebula",   "Paper",     "Quartz",  "Lantern",  "Mécanique",
    "Étoilé",    "Nordlicht", "Brass",      "Coral",       "Orchard",  "Vaporwave"};
const char* const kTitles[] = {"Warden",    "Duelist", "Pilgrim", "Corsair", "Sentinel",
                               "Alchemist", "Nomad",   "Regent",  "Outlaw",  "Oracle"};

const char* const kSpellAdjectives[] = {"Searing", "Hollow",  "Shattering", "Silent",  "Binding",
                                        "Rising",  "Blazing", "Frozen",     "Crimson", "Veiled",
                                        "Iron",    "Twin",    "Spiral",     "Ancient", "Restless"};
const char* const kSpellNouns[] = {"Strike", "Ward", "Tempest", "Lance", "Bloom", "Chains",  "Surge", "Veil", "Barrage",
                                   "Echo",   "Fang", "Mantle",  "Rift",  "Pulse", "Verdict", "Crown", "Tide", "Howl"};

std::string Capitalised(std::string text) {
  if (!text.empty()) {
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  }
  return text;
}

std::string MakeWord(SplitMix& rng, uint32_t syllables) {
  std::string word;
  for (uint32_t i = 0; i < syllables; ++i) {
    word += rng.Pick(kOnsets);
    word += rng.Pick(kVowels);
  }
  word += rng.Pick(kCodas);
  return Capitalised(word);
}

std::string MakeDescription(SplitMix& rng, const std::string& championName) {
  const std::string amount = std::to_string(rng.Between(4, 60) * 5);
  const std::string seconds = std::to_string(rng.Between(1, 8));
  const std::string percent = std::to_string(rng.Between(2, 16) * 5);
  switch (rng.Below(6)) {
    case 0: return "Deals " + amount + " physical damage to enemies in a line.";
    case 1: return championName + " gains " + percent + "% movement speed for " + seconds + " seconds.";
    case 2:
      return "Marks the target as \"Hunted\" for " + seconds + " seconds; the next hit deals " + amount +
             " bonus magic damage.";
    case 3:
      return "Shields " + championName + " for " + amount + " damage and slows nearby enemies by " + percent + "%.";
    case 4:
      return "After a short delay, roots enemies in the area for " + seconds +
             " seconds.<br>Recast: dash to the target location.";
    default: return "Every third attack restores " + amount + " health & grants " + percent + "% attack speed.";
  }
}

}  // namespace

std::string MakeChampionName(SplitMix& rng) {
  switch (rng.Below(14)) {
    case 0: return MakeWord(rng, 1) + "'" + MakeWord(rng, 2);
    case 1: return MakeWord(rng, 1) + " " + MakeWord(rng, 1);
    default: return MakeWord(rng, rng.Between(2, 3));
  }
}

std::string AliasOf(const std::string& name) {
  std::string alias;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) alias += c;
  }
  return alias;
}

std::string MakeSkinName(SplitMix& rng, const std::string& championName) {
  switch (rng.Below(5)) {
    case 0: return championName + " the " + rng.Pick(kTitles);
    case 1: return std::string(rng.Pick(kThemes)) + " " + rng.Pick(kTitles) + " " + championName;
    default: return std::string(rng.Pick(kThemes)) + " " + championName;
  }
}

GameSpell MakeSpell(SplitMix& rng, const std::string& championName) {
  GameSpell spell;
  spell.name = std::string(rng.Pick(kSpellAdjectives)) + " " + rng.Pick(kSpellNouns);
  spell.description = MakeDescription(rng, championName);
  return spell;
}

std::string MakeColour(SplitMix& rng) {
  static const char kHex[] = "0123456789ABCDEF";
  const uint32_t rgb = rng.Below(0x1000000u);
  std::string colour = "#";
  for (int shift = 20; shift >= 0; shift -= 4) colour += kHex[(rgb >> shift) & 0xFu];
  return colour;
}

}  // namespace kel::datagen
