// A value tree shaped like the champion list the inventory serves: records
// of about twenty string, number and bool members with nested skin and
// chroma lists, over 2 MB as JSON. Written once against a small tree
// interface so that the binding value and the RapidJSON document are built
// from the same calls.
#pragma once

#include <cstdint>
#include <string>

namespace kel::bench {

inline constexpr int kChampions = 170;
inline constexpr int kSkinsPerChampion = 12;
inline constexpr int kChromasPerSkin = 4;

// Tree must provide Node, MakeObject(Node&), MakeArray(Node&),
// Node& Member(Node&, const char*), Node& Append(Node&),
// SetText(Node&, const std::string&), SetInt(Node&, int64_t), SetBool(Node&, bool).
template <typename Tree>
void FillOwnership(Tree& tree, typename Tree::Node& node, int seed) {
  tree.MakeObject(node);
  tree.SetBool(tree.Member(node, "owned"), seed % 3 == 0);
  tree.SetBool(tree.Member(node, "loyaltyReward"), seed % 7 == 0);
  auto& rental = tree.Member(node, "rental");
  tree.MakeObject(rental);
  tree.SetInt(tree.Member(rental, "endDate"), 1700000000000LL + seed * 1000LL);
  tree.SetInt(tree.Member(rental, "purchaseDate"), 1690000000000LL + seed * 997LL);
  tree.SetBool(tree.Member(rental, "rented"), seed % 5 == 0);
  tree.SetInt(tree.Member(rental, "winCountRemaining"), seed % 4);
}

template <typename Tree>
void FillChampionList(Tree& tree, typename Tree::Node& root) {
  tree.MakeArray(root);
  for (int c = 0; c < kChampions; ++c) {
    const std::string alias = "Champion" + std::to_string(c * 37 % 1000);
    auto& champion = tree.Append(root);
    tree.MakeObject(champion);
    tree.SetInt(tree.Member(champion, "id"), c + 1);
    tree.SetText(tree.Member(champion, "name"), "Champion number " + std::to_string(c));
    tree.SetText(tree.Member(champion, "alias"), alias);
    tree.SetText(tree.Member(champion, "title"), "the " + std::to_string(c) + "th of the line");
    tree.SetText(tree.Member(champion, "squarePortraitPath"),
                 "/kel-game-data/assets/v1/champion-icons/" + std::to_string(c + 1) + ".png");
    tree.SetText(tree.Member(champion, "stingerSfxPath"),
                 "/kel-game-data/assets/v1/champion-sfx-audios/" + alias + ".ogg");
    tree.SetText(tree.Member(champion, "chooseVoPath"),
                 "/kel-game-data/assets/v1/champion-choose-vo/" + alias + ".ogg");
    tree.SetText(tree.Member(champion, "banVoPath"), "/kel-game-data/assets/v1/champion-ban-vo/" + alias + ".ogg");
    tree.SetBool(tree.Member(champion, "active"), true);
    tree.SetBool(tree.Member(champion, "botEnabled"), c % 2 == 0);
    tree.SetBool(tree.Member(champion, "freeToPlay"), c % 9 == 0);
    tree.SetBool(tree.Member(champion, "rankedPlayEnabled"), true);
    tree.SetInt(tree.Member(champion, "purchased"), 1600000000000LL + c);
    auto& roles = tree.Member(champion, "roles");
    tree.MakeArray(roles);
    tree.SetText(tree.Append(roles), c % 2 == 0 ? "mage" : "fighter");
    tree.SetText(tree.Append(roles), c % 3 == 0 ? "support" : "tank");
    auto& queues = tree.Member(champion, "disabledQueues");
    tree.MakeArray(queues);
    FillOwnership(tree, tree.Member(champion, "ownership"), c);
    auto& skins = tree.Member(champion, "skins");
    tree.MakeArray(skins);
    for (int s = 0; s < kSkinsPerChampion; ++s) {
      const int skinId = (c + 1) * 1000 + s;
      auto& skin = tree.Append(skins);
      tree.MakeObject(skin);
      tree.SetInt(tree.Member(skin, "id"), skinId);
      tree.SetInt(tree.Member(skin, "championId"), c + 1);
      tree.SetText(tree.Member(skin, "name"), "Skin " + std::to_string(s) + " of " + alias);
      tree.SetBool(tree.Member(skin, "isBase"), s == 0);
      tree.SetBool(tree.Member(skin, "disabled"), false);
      tree.SetBool(tree.Member(skin, "stillObtainable"), s % 2 == 0);
      tree.SetText(tree.Member(skin, "splashPath"), "/kel-game-data/assets/v1/champion-splashes/" +
                                                        std::to_string(c + 1) + "/" + std::to_string(skinId) + ".jpg");
      tree.SetText(tree.Member(skin, "tilePath"), "/kel-game-data/assets/v1/champion-tiles/" + std::to_string(c + 1) +
                                                      "/" + std::to_string(skinId) + ".jpg");
      tree.SetText(tree.Member(skin, "chromaPath"),
                   s % 3 == 0 ? "" : "/kel-game-data/assets/v1/chromas/" + std::to_string(skinId) + ".png");
      tree.SetText(tree.Member(skin, "rarity"), s % 4 == 0 ? "kNoRarity" : "kEpic");
      tree.SetInt(tree.Member(skin, "lastSelected"), 0);
      FillOwnership(tree, tree.Member(skin, "ownership"), skinId);
      auto& chromas = tree.Member(skin, "chromas");
      tree.MakeArray(chromas);
      for (int k = 0; k < kChromasPerSkin; ++k) {
        auto& chroma = tree.Append(chromas);
        tree.MakeObject(chroma);
        tree.SetInt(tree.Member(chroma, "id"), skinId * 10 + k);
        tree.SetInt(tree.Member(chroma, "championId"), c + 1);
        tree.SetText(tree.Member(chroma, "name"), "Chroma " + std::to_string(k));
        tree.SetText(tree.Member(chroma, "chromaPath"),
                     "/kel-game-data/assets/v1/chromas/" + std::to_string(skinId * 10 + k) + ".png");
        tree.SetBool(tree.Member(chroma, "disabled"), false);
        auto& colors = tree.Member(chroma, "colors");
        tree.MakeArray(colors);
        tree.SetText(tree.Append(colors), "#" + std::to_string(100000 + k * 1111));
        tree.SetText(tree.Append(colors), "#" + std::to_string(200000 + k * 2222));
      }
    }
  }
}

}  // namespace kel::bench
