#include "datagen/ownership_json.h"

#include "datagen/json_text.h"

namespace kel::datagen {
namespace {

// The three rental members lead both wire records in the same order; the
// sources follow them in both.
template <typename Record>
void WriteRentalMembers(JsonWriter& writer, const Record& record) {
  WriteUint64(writer, "endDate", record.endDate);
  WriteUint64(writer, "purchaseDate", record.purchaseDate);
  WriteInt(writer, "winCountRemaining", record.winCountRemaining);
  WriteStringList(writer, "sources", record.sources);
}

void WriteSkinDto(JsonWriter& writer, const SkinOwnershipRecord& skin) {
  writer.StartObject();
  WriteRentalMembers(writer, skin);
  WriteInt(writer, "championId", skin.championId);
  WriteBool(writer, "freeToPlayReward", skin.freeToPlayReward);
  WriteBool(writer, "lastSelected", skin.lastSelected);
  WriteBool(writer, "owned", skin.owned);
  WriteInt(writer, "skinId", skin.skinId);
  WriteBool(writer, "stillObtainable", skin.stillObtainable);
  writer.EndObject();
}

void WriteChampionDto(JsonWriter& writer, const ChampionOwnershipRecord& record) {
  writer.StartObject();
  WriteRentalMembers(writer, record);
  WriteBool(writer, "active", record.active);
  WriteBool(writer, "botEnabled", record.botEnabled);
  WriteInt(writer, "championId", record.championId);
  WriteArray(writer, "championSkins", record.championSkins, WriteSkinDto);
  WriteBool(writer, "freeToPlay", record.freeToPlay);
  WriteBool(writer, "freeToPlayReward", record.freeToPlayReward);
  WriteBool(writer, "owned", record.owned);
  WriteUint64(writer, "purchased", record.purchased);
  WriteBool(writer, "rankedPlayEnabled", record.rankedPlayEnabled);
  writer.EndObject();
}

}  // namespace

std::string ChampionDtoJson(const ChampionOwnershipRecord& record) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  WriteChampionDto(writer, record);
  return TextOf(buffer);
}

std::string SkinDtoJson(const SkinOwnershipRecord& record) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  WriteSkinDto(writer, record);
  return TextOf(buffer);
}

std::string OwnershipReplyJson(const std::vector<ChampionOwnershipRecord>& records) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  writer.StartObject();
  WriteMember(writer, "typeName", std::string(kChampionDtoClass));
  WriteArray(writer, "body", records, WriteChampionDto);
  writer.EndObject();
  return TextOf(buffer);
}

}  // namespace kel::datagen
