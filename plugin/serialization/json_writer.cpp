#include "serialization/json_writer.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_registry.h"

namespace kel {

namespace {

// The writers' output stream: a buffer written through a raw cursor and
// grown by doubling, so a string's characters go in without a bound check
// each.
class TextOutput {
 public:
  using Ch = char;

  TextOutput() { Grow(kInitialSize); }
  ~TextOutput() { std::free(buffer_); }
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  [[gnu::always_inline]] void Put(char c) {
    if (cursor_ == end_) [[unlikely]]
      Grow(1);
    *cursor_++ = c;
  }
  [[gnu::always_inline]] void PutUnsafe(char c) { *cursor_++ = c; }
  [[gnu::always_inline]] void Reserve(size_t count) {
    if (static_cast<size_t>(end_ - cursor_) < count) [[unlikely]]
      Grow(count);
  }
  void Flush() {}

  // A JSON string: the text in quotes, escaped as the library escapes it
  // (\b \t \n \f \r \" \\ by name, the other control characters as
  // \u00XX with upper-case digits, every other byte as it is). Runs without
  // an escape go eight bytes at a time.
  void PutQuoted(const char* text, size_t length) {
    Reserve(2 + length * 6);
    char* out = cursor_;
    *out++ = '"';
    const char* p = text;
    const char* const end = text + length;
    while (p != end) {
      if (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (!NeedsEscape(word)) {
          std::memcpy(out, &word, 8);
          out += 8;
          p += 8;
          continue;
        }
      }
      const auto c = static_cast<unsigned char>(*p++);
      const char escape = kEscapes[c];
      if (escape == 0) {
        *out++ = static_cast<char>(c);
        continue;
      }
      *out++ = '\\';
      *out++ = escape;
      if (escape == 'u') {
        *out++ = '0';
        *out++ = '0';
        *out++ = kHexDigits[c >> 4];
        *out++ = kHexDigits[c & 0xF];
      }
    }
    *out++ = '"';
    cursor_ = out;
  }

  const char* data() const { return buffer_; }
  size_t size() const { return static_cast<size_t>(cursor_ - buffer_); }

 private:
  static constexpr size_t kInitialSize = 16384;
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  static constexpr std::array<char, 256> kEscapes = [] {
    std::array<char, 256> escapes{};
    for (int c = 0; c < 0x20; ++c) escapes[c] = 'u';
    escapes['\b'] = 'b';
    escapes['\t'] = 't';
    escapes['\n'] = 'n';
    escapes['\f'] = 'f';
    escapes['\r'] = 'r';
    escapes['"'] = '"';
    escapes['\\'] = '\\';
    return escapes;
  }();

  // Whether any of the eight bytes is a control character, a quote or a
  // backslash: (x - n * ones) & ~x & highs is nonzero exactly when some byte
  // of x is below n (n <= 128), and x ^ (c * ones) has a zero byte where x
  // holds c.
  static bool NeedsEscape(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    const auto below = [](std::uint64_t x, std::uint64_t n) { return (x - n * kOnes) & ~x & kHighs; };
    return (below(word, 0x20) | below(word ^ ('"' * kOnes), 1) | below(word ^ ('\\' * kOnes), 1)) != 0;
  }

  // realloc rather than a std::string: no zero fill, and a large block
  // moves by remapping its pages instead of copying them.
  [[gnu::noinline]] void Grow(size_t count) {
    const size_t used = size();
    const size_t capacity = std::max(static_cast<size_t>(end_ - buffer_) * 2, used + count);
    char* grown = static_cast<char*>(std::realloc(buffer_, capacity));
    if (grown == nullptr) throw std::bad_alloc();
    buffer_ = grown;
    cursor_ = grown + used;
    end_ = grown + capacity;
  }

  char* buffer_ = nullptr;
  char* cursor_ = nullptr;
  char* end_ = nullptr;
};

// The writers reserve room before a run of characters and then put them
// unchecked; found by argument-dependent lookup before the library's
// defaults, which would check every character.
inline void PutReserve(TextOutput& output, size_t count) { output.Reserve(count); }
inline void PutUnsafe(TextOutput& output, char c) { output.PutUnsafe(c); }

}  // namespace
}  // namespace kel

// Keys and strings of both writers over TextOutput: the library's own
// version checks and copies one character at a time.
template <>
inline bool rapidjson::Writer<kel::TextOutput>::WriteString(const char* text, rapidjson::SizeType length) {
  os_->PutQuoted(text, length);
  return true;
}

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
          if (top.index < elements.size()) elements[top.index].Prefetch();
        } else {
          writer_.EndArray();
          open_.pop_back();
        }
      } else if (top.member != top.end) {
        const auto [key, value] = *top.member;
        ++top.member;
        if (top.member != top.end) top.member.Prefetch();
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
    size_t index;                                   // next element of a collection
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
      case BindingValueKind::kStructure: {
        writer_.StartObject();
        const auto members = value.Members();
        open_.push_back({&value, 0, members.begin(), members.end()});
        break;
      }
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

  void WriteText(std::string_view text) { writer_.String(text.data(), static_cast<rapidjson::SizeType>(text.size())); }

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
  TextOutput output;
  if (line_break == nullptr || *line_break == '\0') {
    rapidjson::Writer<TextOutput> writer(output);
    JsonTreeWriter(writer, registry).Write(value);
    return std::string(output.data(), output.size());
  }
  rapidjson::PrettyWriter<TextOutput> writer(output);
  writer.SetIndent(' ', 4);
  JsonTreeWriter(writer, registry).Write(value);
  // Line feeds inside strings are escaped, so every raw one is a line end.
  if (std::strcmp(line_break, "\n") == 0) return std::string(output.data(), output.size());
  return ReplaceLineFeeds(output.data(), output.size(), line_break);
}

}  // namespace

std::string WriteJson(const BindingValue& value, const char* line_break) { return Write(value, nullptr, line_break); }

std::string WriteJson(const BindingValue& value, const BindingRegistry& registry, const char* line_break) {
  return Write(value, &registry, line_break);
}

}  // namespace kel
