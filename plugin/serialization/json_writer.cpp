#include "serialization/json_writer.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <cstring>
#include <string_view>

#include "binding/binding_registry.h"

namespace kel {

namespace {

template <class Writer>
class JsonTreeWriter {
 public:
  JsonTreeWriter(Writer& writer, const BindingRegistry* registry) : writer_(writer), registry_(registry) {}

  void Write(const BindingValue& value) {
    switch (value.Kind()) {
      case BindingValueKind::kEmpty: writer_.Null(); break;
      case BindingValueKind::kBool: writer_.Bool(value.GetBool(false)); break;
      case BindingValueKind::kSigned: writer_.Int64(value.GetSigned(0)); break;
      case BindingValueKind::kUnsigned: writer_.Uint64(value.GetUnsigned(0)); break;
      case BindingValueKind::kFloat: WriteDouble(value.GetDouble(0)); break;
      case BindingValueKind::kString: WriteText(value.GetString()); break;
      case BindingValueKind::kBlob: WriteText(value.AsText()); break;
      case BindingValueKind::kEnum: WriteEnum(value.GetEnum()); break;
      case BindingValueKind::kCollection:
        writer_.StartArray();
        for (const BindingValue& element : value.Elements()) Write(element);
        writer_.EndArray();
        break;
      case BindingValueKind::kStructure:
        writer_.StartObject();
        for (const auto& [key, member] : value.Members()) {
          writer_.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
          Write(member);
        }
        writer_.EndObject();
        break;
    }
  }

 private:
  // JSON has no NaN or infinity; the writer would refuse them after already
  // emitting a separator, leaving broken text. null keeps the output valid.
  void WriteDouble(double d) {
    if (std::isfinite(d)) {
      writer_.Double(d);
    } else {
      writer_.Null();
    }
  }

  void WriteText(std::string_view text) {
    writer_.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }

  void WriteEnum(BindingEnum pair) {
    const char* name = registry_ ? registry_->EnumeratorName(pair.type, pair.value) : nullptr;
    if (name) {
      WriteText(name);
    } else {
      writer_.Int(pair.value);
    }
  }

  Writer& writer_;
  const BindingRegistry* registry_;
};

std::string ReplaceLineFeeds(const char* text, size_t length, std::string_view line_break) {
  std::string out;
  out.reserve(length + length / 8);
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\n') {
      out += line_break;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Write(const BindingValue& value, const BindingRegistry* registry, const char* line_break) {
  if (value.IsEmpty()) return {};
  rapidjson::StringBuffer buffer;
  if (line_break == nullptr || *line_break == '\0') {
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    JsonTreeWriter(writer, registry).Write(value);
    return std::string(buffer.GetString(), buffer.GetSize());
  }
  rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
  writer.SetIndent(' ', 4);
  JsonTreeWriter(writer, registry).Write(value);
  // Line feeds inside strings are escaped, so every raw one is a line end.
  if (std::strcmp(line_break, "\n") == 0) return std::string(buffer.GetString(), buffer.GetSize());
  return ReplaceLineFeeds(buffer.GetString(), buffer.GetSize(), line_break);
}

}  // namespace

std::string WriteJson(const BindingValue& value, const char* line_break) { return Write(value, nullptr, line_break); }

std::string WriteJson(const BindingValue& value, const BindingRegistry& registry, const char* line_break) {
  return Write(value, &registry, line_break);
}

}  // namespace kel
