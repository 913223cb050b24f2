#include "serialization/json_writer.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "binding/binding_registry.h"

namespace kel {

namespace {

// Walks the tree with an explicit stack rather than by recursion: trees
// built by code or converted from the core's values have no depth bound.
template <class Writer>
class JsonTreeWriter {
 public:
  JsonTreeWriter(Writer& writer, const BindingRegistry* registry) : writer_(writer), registry_(registry) {}

  void Write(const BindingValue& root) {
    const BindingValue* next = &root;
    for (;;) {
      if (next != nullptr) {
        Open(*next);
        next = nullptr;
      }
      if (open_.empty()) return;
      OpenContainer& top = open_.back();
      if (top.value->IsCollection()) {
        const auto elements = top.value->Elements();
        if (top.index < elements.size()) {
          next = &elements[top.index++];
        } else {
          writer_.EndArray();
          open_.pop_back();
        }
      } else if (top.member != top.end) {
        const auto [key, value] = *top.member;
        ++top.member;
        writer_.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
        next = &value;
      } else {
        writer_.EndObject();
        open_.pop_back();
      }
    }
  }

 private:
  struct OpenContainer {
    const BindingValue* value;
    size_t index;                                // next element of a collection
    BindingValue::ConstMemberIterator member, end;  // members of a structure left
  };

  // Writes a scalar whole, or starts a container and leaves it open.
  void Open(const BindingValue& value) {
    switch (value.Kind()) {
      case BindingValueKind::kEmpty: writer_.Null(); break;
      case BindingValueKind::kBool: writer_.Bool(value.GetBool()); break;
      case BindingValueKind::kSigned: writer_.Int64(value.GetSigned()); break;
      case BindingValueKind::kUnsigned: writer_.Uint64(value.GetUnsigned()); break;
      case BindingValueKind::kFloat: WriteDouble(value.GetDouble()); break;
      case BindingValueKind::kString: WriteText(value.GetString()); break;
      case BindingValueKind::kBlob: WriteText(value.AsText()); break;
      case BindingValueKind::kEnum: WriteEnum(value.GetEnum()); break;
      case BindingValueKind::kCollection:
        writer_.StartArray();
        open_.push_back({&value, 0, {}, {}});
        break;
      case BindingValueKind::kStructure:
        writer_.StartObject();
        open_.push_back({&value, 0, value.Members().begin(), value.Members().end()});
        break;
    }
  }

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
  std::vector<OpenContainer> open_;
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
