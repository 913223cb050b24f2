#pragma once
// RapidJSON's compact writer with the few helpers every generated text uses.

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kel::datagen {

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

inline void WriteString(JsonWriter& writer, const std::string& text) {
  writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

inline void WriteMember(JsonWriter& writer, const char* key, const std::string& text) {
  writer.Key(key);
  WriteString(writer, text);
}

// An absent optional writes no member at all.
inline void WriteMember(JsonWriter& writer, const char* key, const std::optional<std::string>& text) {
  if (text) WriteMember(writer, key, *text);
}

inline void WriteInt(JsonWriter& writer, const char* key, int32_t value) {
  writer.Key(key);
  writer.Int(value);
}

inline void WriteUint64(JsonWriter& writer, const char* key, uint64_t value) {
  writer.Key(key);
  writer.Uint64(value);
}

inline void WriteBool(JsonWriter& writer, const char* key, bool value) {
  writer.Key(key);
  writer.Bool(value);
}

// An array of items written by `writeItem(writer, item)`.
template <typename Items, typename WriteItem>
void WriteArray(JsonWriter& writer, const Items& items, WriteItem writeItem) {
  writer.StartArray();
  for (const auto& item : items) writeItem(writer, item);
  writer.EndArray();
}

template <typename Items, typename WriteItem>
void WriteArray(JsonWriter& writer, const char* key, const Items& items, WriteItem writeItem) {
  writer.Key(key);
  WriteArray(writer, items, writeItem);
}

inline void WriteStringList(JsonWriter& writer, const char* key, const std::vector<std::string>& texts) {
  WriteArray(writer, key, texts, WriteString);
}

inline void WriteIntList(JsonWriter& writer, const std::vector<int32_t>& values) {
  WriteArray(writer, values, [](JsonWriter& out, int32_t value) { out.Int(value); });
}

inline std::string TextOf(const rapidjson::StringBuffer& buffer) {
  return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace kel::datagen
