#include "datagen/configuration_json.h"

#include "datagen/json_text.h"

namespace kel::datagen {
namespace {

std::string IntListJson(const std::vector<int32_t>& values) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  WriteIntList(writer, values);
  return TextOf(buffer);
}

}  // namespace

std::vector<ResourceText> ConfigurationResources(const LiveConfiguration& config) {
  return {
      {kDisabledSkinsUri, IntListJson(config.disabledSkinIds)},
      {kInactiveChampionsUri, IntListJson(config.inactiveChampionIds)},
      {kNewPlayerMaxLevelUri, std::to_string(config.newPlayerMaxLevel)},
      {kNewPlayerChampionsUri, IntListJson(config.newPlayerChampionIds)},
  };
}

std::string DynamicConfigurationText(const LiveConfiguration& config) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  writer.StartObject();
  writer.Key("DisabledChampions");
  writer.StartObject();
  for (const auto& [queue, ids] : config.disabledQueues) {
    writer.Key(queue.data(), static_cast<rapidjson::SizeType>(queue.size()));
    WriteString(writer, IntListJson(ids));
  }
  writer.EndObject();
  // Messages carry other namespaces too; the inventory skips them.
  writer.Key("FeatureToggles");
  writer.StartObject();
  WriteBool(writer, "skinPreview", true);
  writer.EndObject();
  writer.EndObject();
  return TextOf(buffer);
}

std::string DynamicConfigurationEventJson(const LiveConfiguration& config) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  writer.StartObject();
  WriteMember(writer, "clientId", std::string());
  WriteMember(writer, "subtopic", std::string());
  WriteMember(writer, "typeName", std::string(kDynamicConfigurationClass));
  writer.Key("body");
  writer.StartObject();
  WriteMember(writer, "configs", DynamicConfigurationText(config));
  WriteBool(writer, "delta", false);
  writer.EndObject();
  writer.EndObject();
  return TextOf(buffer);
}

}  // namespace kel::datagen
