#include "champion_json_anchor.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace kel::bench {
namespace {

using namespace champions;
using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

void Text(Writer& w, const char* key, const std::string& value) {
  w.Key(key);
  w.String(value.data(), static_cast<rapidjson::SizeType>(value.size()));
}

void Optional(Writer& w, const char* key, const std::optional<std::string>& value) {
  w.Key(key);
  if (value) {
    w.String(value->data(), static_cast<rapidjson::SizeType>(value->size()));
  } else {
    w.Null();
  }
}

void Texts(Writer& w, const char* key, const std::vector<std::string>& values) {
  w.Key(key);
  w.StartArray();
  for (const std::string& value : values) w.String(value.data(), static_cast<rapidjson::SizeType>(value.size()));
  w.EndArray();
}

void Write(Writer& w, const CollectionsOwnership& o) {
  w.StartObject();
  w.Key("freeToPlayReward");
  w.Bool(o.freeToPlayReward);
  w.Key("owned");
  w.Bool(o.owned);
  w.Key("rental");
  w.StartObject();
  w.Key("endDate");
  w.Uint64(o.rental.endDate);
  w.Key("purchaseDate");
  w.Uint64(o.rental.purchaseDate);
  w.Key("rented");
  w.Bool(o.rental.rented);
  w.Key("winCountRemaining");
  w.Int(o.rental.winCountRemaining);
  w.EndObject();
  w.EndObject();
}

void Write(Writer& w, const CollectionsChampionChroma& c) {
  w.StartObject();
  w.Key("championId");
  w.Int(c.championId);
  Optional(w, "chromaPath", c.chromaPath);
  Texts(w, "colors", c.colors);
  w.Key("disabled");
  w.Bool(c.disabled);
  w.Key("id");
  w.Int(c.id);
  w.Key("lastSelected");
  w.Bool(c.lastSelected);
  Text(w, "name", c.name);
  w.Key("ownership");
  Write(w, c.ownership);
  w.Key("stillObtainable");
  w.Bool(c.stillObtainable);
  w.EndObject();
}

void Write(Writer& w, const CollectionsChampionSkinEmblem& e) {
  w.StartObject();
  w.Key("emblemPath");
  w.StartObject();
  Text(w, "large", e.emblemPath.large);
  Text(w, "small", e.emblemPath.small);
  w.EndObject();
  Text(w, "name", e.name);
  w.Key("positions");
  w.StartObject();
  Text(w, "horizontal", e.positions.horizontal);
  Text(w, "vertical", e.positions.vertical);
  w.EndObject();
  w.EndObject();
}

void Write(Writer& w, const CollectionsChampionSkin& s) {
  w.StartObject();
  Text(w, "cardPath", s.cardPath);
  w.Key("championId");
  w.Int(s.championId);
  Optional(w, "chromaPath", s.chromaPath);
  w.Key("chromas");
  w.StartArray();
  for (const CollectionsChampionChroma& chroma : s.chromas) Write(w, chroma);
  w.EndArray();
  w.Key("disabled");
  w.Bool(s.disabled);
  w.Key("emblems");
  w.StartArray();
  for (const CollectionsChampionSkinEmblem& emblem : s.emblems) Write(w, emblem);
  w.EndArray();
  Optional(w, "featuresText", s.featuresText);
  w.Key("id");
  w.Int(s.id);
  w.Key("isBase");
  w.Bool(s.isBase);
  w.Key("lastSelected");
  w.Bool(s.lastSelected);
  Text(w, "name", s.name);
  w.Key("ownership");
  Write(w, s.ownership);
  Text(w, "rarityGemPath", s.rarityGemPath);
  Optional(w, "skinType", s.skinType);
  Text(w, "splashPath", s.splashPath);
  Optional(w, "splashVideoPath", s.splashVideoPath);
  w.Key("stillObtainable");
  w.Bool(s.stillObtainable);
  Text(w, "tilePath", s.tilePath);
  Text(w, "uncenteredSplashPath", s.uncenteredSplashPath);
  w.EndObject();
}

void Write(Writer& w, const CollectionsChampionSpell& s) {
  w.StartObject();
  Text(w, "description", s.description);
  Text(w, "name", s.name);
  w.EndObject();
}

void Write(Writer& w, const CollectionsChampion& c) {
  w.StartObject();
  w.Key("active");
  w.Bool(c.active);
  Text(w, "alias", c.alias);
  Text(w, "banVoPath", c.banVoPath);
  w.Key("botEnabled");
  w.Bool(c.botEnabled);
  Text(w, "chooseVoPath", c.chooseVoPath);
  Texts(w, "disabledQueues", c.disabledQueues);
  w.Key("freeToPlay");
  w.Bool(c.freeToPlay);
  w.Key("id");
  w.Int(c.id);
  Text(w, "name", c.name);
  w.Key("ownership");
  Write(w, c.ownership);
  w.Key("passive");
  Write(w, c.passive);
  w.Key("purchased");
  w.Uint64(c.purchased);
  w.Key("rankedPlayEnabled");
  w.Bool(c.rankedPlayEnabled);
  Texts(w, "roles", c.roles);
  w.Key("skins");
  w.StartArray();
  for (const CollectionsChampionSkin& skin : c.skins) Write(w, skin);
  w.EndArray();
  w.Key("spells");
  w.StartArray();
  for (const CollectionsChampionSpell& spell : c.spells) Write(w, spell);
  w.EndArray();
  Text(w, "squarePortraitPath", c.squarePortraitPath);
  Text(w, "stingerSfxPath", c.stingerSfxPath);
  w.EndObject();
}

}  // namespace

std::string WriteChampionsJson(const std::vector<CollectionsChampion>& champions) {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  writer.StartArray();
  for (const CollectionsChampion& champion : champions) Write(writer, champion);
  writer.EndArray();
  return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace kel::bench
