// The host's own JSON text writer for what it answers from the plug-in's
// values: appends straight into a std::string through a cursor, finds where
// a text ends and what in it needs escaping in the same pass that copies it,
// and writes every token exactly as RapidJSON's Writer does (the same
// escapes, the same number texts), so answers do not change with the writer.
// Separators are the caller's, but for a member's comma. The tokens of a
// champion list are mostly short (keys, flags, small numbers, names), so
// those are written here in place and only longer or escaped texts go out
// of line.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "host/json_text_blocks.h"

namespace kel::host {

class JsonTextWriter {
 public:
  // Appends to `text`; the text has its final length once the writer goes.
  explicit JsonTextWriter(std::string& text);
  ~JsonTextWriter() { text_.resize(Used()); }
  JsonTextWriter(const JsonTextWriter&) = delete;
  JsonTextWriter& operator=(const JsonTextWriter&) = delete;

  // Bytes written as they are: punctuation and literal keys.
  void Raw(std::string_view bytes) {
    Reserve(bytes.size());
    std::memcpy(cursor_, bytes.data(), bytes.size());
    cursor_ += bytes.size();
  }
  void Raw(char c) {
    Reserve(1);
    *cursor_++ = c;
  }
  // A JSON string of every byte of `bytes`: quotes, backslashes and control
  // bytes (NUL too) escaped, every other byte as it is.
  void String(std::string_view bytes) { Escaped(bytes.data(), bytes.size(), false); }
  // A JSON string of the text at `text`: at most `limit` bytes, up to a NUL.
  void Text(const char* text, std::size_t limit) {
    Reserve(kShortRoom);
    // Writes through a local cursor: a store through a char pointer could
    // change any member, so the compiler would reload them after each one.
    char* const out = cursor_;
    const std::size_t length = text != nullptr ? text_blocks::CopyShortText<true>(text, limit, out + 1) : 0;
    if (length == text_blocks::kNotShort) return Escaped(text, limit, true);
    out[0] = '"';
    out[length + 1] = '"';
    cursor_ = out + length + 2;
  }
  // "key": for a NUL-terminated key.
  void Key(const char* key) {
    Escaped(key, SIZE_MAX, true);
    Raw(':');
  }
  // A map's member up to its value: a comma unless it is the first, then
  // "key": for a NUL-terminated key.
  void Member(const char* key, bool first) {
    Reserve(kShortRoom + 1);
    char* out = cursor_;
    *out = ',';
    out += first ? 0 : 1;
    const std::size_t length = key != nullptr ? text_blocks::CopyShortText<false>(key, 0, out + 1) : 0;
    if (length == text_blocks::kNotShort) {
      cursor_ = out;
      return Key(key);
    }
    out[0] = '"';
    out[length + 1] = '"';
    out[length + 2] = ':';
    cursor_ = out + length + 3;
  }
  void Null() { Raw("null"); }
  void Bool(bool value) {
    static constexpr char kTexts[2][8] = {"false", "true"};
    Reserve(8);
    char* const out = cursor_;
    std::memcpy(out, kTexts[value ? 1 : 0], 8);
    cursor_ = out + (value ? 4 : 5);
  }
  // Integers have one decimal text, so any exact conversion writes what
  // RapidJSON's does.
  void Signed(int64_t value) { Integer(value); }
  void Unsigned(uint64_t value) { Integer(value); }
  // JSON has no NaN or infinity: those are null.
  void Double(double value);

 private:
  // A short text's blocks, its quotes and a colon.
  static constexpr std::size_t kShortRoom = text_blocks::kShortBlocks * text_blocks::kBlock + 3;
  // Room for `bytes` more at the cursor.
  void Reserve(std::size_t bytes) {
    if (static_cast<std::size_t>(end_ - cursor_) < bytes) Grow(bytes);
  }
  void Grow(std::size_t bytes);
  template <typename Integral>
  void Integer(Integral value) {
    constexpr std::size_t kLongest = 20;  // "-9223372036854775808", "18446744073709551615"
    Reserve(kLongest);
    char* const out = cursor_;
    cursor_ = std::to_chars(out, out + kLongest, value).ptr;
  }
  std::size_t Used() const { return static_cast<std::size_t>(cursor_ - text_.data()); }
  void Escaped(const char* text, std::size_t limit, bool stop_at_nul);

  std::string& text_;
  char* cursor_;
  char* end_;
};

}  // namespace kel::host
