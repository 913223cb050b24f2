#include "host/json.h"

#include <rapidjson/error/en.h>

namespace kel::host {

Result<Json> ParseJson(std::string_view text) {
  Json document;
  document.Parse(text.data(), text.size());
  if (document.HasParseError()) {
    return Failure{std::string(rapidjson::GetParseError_En(document.GetParseError())) + " (at offset " +
                   std::to_string(document.GetErrorOffset()) + ")"};
  }
  return document;
}

Json CopyJson(const JsonValue& value) {
  Json copy;
  copy.CopyFrom(value, copy.GetAllocator());
  return copy;
}

std::string WriteJson(const JsonValue& value) {
  return WrittenJson([&](JsonWriter& writer) { value.Accept(writer); });
}

const JsonValue* FindMember(const JsonValue& object, std::string_view key) {
  if (!object.IsObject()) return nullptr;
  const auto found = object.FindMember(JsonValue(rapidjson::StringRef(key.data(), key.size())));
  return found != object.MemberEnd() ? &found->value : nullptr;
}

uint64_t UnsignedMember(const JsonValue& object, std::string_view key, uint64_t fallback) {
  const JsonValue* member = FindMember(object, key);
  return member != nullptr && member->IsUint64() ? member->GetUint64() : fallback;
}

std::string_view StringMember(const JsonValue& object, std::string_view key) {
  const JsonValue* member = FindMember(object, key);
  if (member == nullptr || !member->IsString()) return {};
  return {member->GetString(), member->GetStringLength()};
}

void SetMember(Json& document, JsonValue& object, std::string_view key, JsonValue value) {
  if (!object.IsObject()) object.SetObject();
  const auto found = object.FindMember(JsonValue(rapidjson::StringRef(key.data(), key.size())));
  if (found != object.MemberEnd()) {
    found->value = std::move(value);
    return;
  }
  object.AddMember(JsonValue(key.data(), static_cast<rapidjson::SizeType>(key.size()), document.GetAllocator()),
                   std::move(value), document.GetAllocator());
}

}  // namespace kel::host
