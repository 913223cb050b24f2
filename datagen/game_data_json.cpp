#include "datagen/game_data_json.h"

#include "datagen/json_text.h"

namespace kel::datagen {
namespace {

void WriteSpell(JsonWriter& writer, const GameSpell& spell) {
  writer.StartObject();
  WriteMember(writer, "name", spell.name);
  WriteMember(writer, "description", spell.description);
  writer.EndObject();
}

void WritePair(JsonWriter& writer, const char* key, const char* firstKey, const std::string& first,
               const char* secondKey, const std::string& second) {
  writer.Key(key);
  writer.StartObject();
  WriteMember(writer, firstKey, first);
  WriteMember(writer, secondKey, second);
  writer.EndObject();
}

void WriteEmblem(JsonWriter& writer, const GameEmblem& emblem) {
  writer.StartObject();
  WriteMember(writer, "name", emblem.name);
  WritePair(writer, "emblemPath", "large", emblem.large, "small", emblem.small);
  WritePair(writer, "positions", "vertical", emblem.vertical, "horizontal", emblem.horizontal);
  writer.EndObject();
}

void WriteChroma(JsonWriter& writer, const GameChroma& chroma) {
  writer.StartObject();
  WriteInt(writer, "id", chroma.id);
  WriteStringList(writer, "colors", chroma.colors);
  WriteMember(writer, "chromaPath", chroma.chromaPath);
  writer.EndObject();
}

void WriteSkin(JsonWriter& writer, const GameSkin& skin) {
  writer.StartObject();
  WriteInt(writer, "id", skin.id);
  WriteMember(writer, "name", skin.name);
  WriteArray(writer, "chromas", skin.chromas, WriteChroma);
  WriteArray(writer, "emblems", skin.emblems, WriteEmblem);
  WriteMember(writer, "splashPath", skin.splashPath);
  WriteMember(writer, "uncenteredSplashPath", skin.uncenteredSplashPath);
  WriteMember(writer, "tilePath", skin.tilePath);
  WriteMember(writer, "cardPath", skin.cardPath);
  WriteMember(writer, "rarityGemPath", skin.rarityGemPath);
  WriteMember(writer, "splashVideoPath", skin.splashVideoPath);
  WriteMember(writer, "chromaPath", skin.chromaPath);
  WriteMember(writer, "skinType", skin.skinType);
  WriteMember(writer, "featuresText", skin.featuresText);
  writer.EndObject();
}

void WriteSummaryEntry(JsonWriter& writer, const GameChampion& champion) {
  writer.StartObject();
  WriteInt(writer, "id", champion.id);
  WriteMember(writer, "name", champion.name);
  WriteMember(writer, "alias", champion.alias);
  WriteMember(writer, "squarePortraitPath", champion.squarePortraitPath);
  WriteStringList(writer, "roles", champion.roles);
  writer.EndObject();
}

}  // namespace

std::string ChampionSummaryJson(const std::vector<GameChampion>& champions) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  WriteArray(writer, champions, WriteSummaryEntry);
  return TextOf(buffer);
}

std::string GameChampionJson(const GameChampion& champion) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  writer.StartObject();
  WriteInt(writer, "id", champion.id);
  WriteMember(writer, "alias", champion.alias);
  WriteMember(writer, "banVoPath", champion.banVoPath);
  WriteMember(writer, "chooseVoPath", champion.chooseVoPath);
  WriteMember(writer, "name", champion.name);
  WriteMember(writer, "squarePortraitPath", champion.squarePortraitPath);
  WriteMember(writer, "stingerSfxPath", champion.stingerSfxPath);
  writer.Key("passive");
  WriteSpell(writer, champion.passive);
  WriteStringList(writer, "roles", champion.roles);
  WriteArray(writer, "skins", champion.skins, WriteSkin);
  WriteArray(writer, "spells", champion.spells, WriteSpell);
  writer.EndObject();
  return TextOf(buffer);
}

}  // namespace kel::datagen
