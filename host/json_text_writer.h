// The host's own JSON text writer for what it answers from the plug-in's
// values: appends straight into a std::string through a cursor, finds where
// a text ends and what in it needs escaping in the same pass that copies it,
// and writes every token exactly as RapidJSON's Writer does (the same
// escapes, the same number texts), so answers do not change with the writer.
// Separators are the caller's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

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
  void Text(const char* text, std::size_t limit) { Escaped(text, limit, true); }
  // "key": for a NUL-terminated key.
  void Key(const char* key) {
    Escaped(key, SIZE_MAX, true);
    Raw(':');
  }
  void Null() { Raw("null"); }
  void Bool(bool value) { value ? Raw("true") : Raw("false"); }
  void Signed(int64_t value);
  void Unsigned(uint64_t value);
  // JSON has no NaN or infinity: those are null.
  void Double(double value);

 private:
  // Room for `bytes` more at the cursor.
  void Reserve(std::size_t bytes) {
    if (static_cast<std::size_t>(end_ - cursor_) < bytes) Grow(bytes);
  }
  void Grow(std::size_t bytes);
  std::size_t Used() const { return static_cast<std::size_t>(cursor_ - text_.data()); }
  void Escaped(const char* text, std::size_t limit, bool stop_at_nul);

  std::string& text_;
  char* cursor_;
  char* end_;
};

}  // namespace kel::host
