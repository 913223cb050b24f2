// The host's own JSON text writer for what it answers from the plug-in's
// values: appends straight into a std::string through a cursor, copies
// unescaped runs of text whole, and writes every token exactly as
// RapidJSON's Writer does (the same escapes, the same number texts), so
// answers do not change with the writer. Separators are the caller's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kel::host {

class JsonTextWriter {
 public:
  // Appends to `text`; the text has its final length once the writer goes.
  explicit JsonTextWriter(std::string& text) : text_(text), used_(text.size()) {}
  ~JsonTextWriter() { text_.resize(used_); }
  JsonTextWriter(const JsonTextWriter&) = delete;
  JsonTextWriter& operator=(const JsonTextWriter&) = delete;

  // Bytes written as they are: punctuation and literal keys.
  void Raw(std::string_view bytes);
  void Raw(char c) {
    *Reserve(1) = c;
    ++used_;
  }
  // A JSON string: quotes, backslashes and control bytes escaped, every
  // other byte as it is.
  void String(std::string_view text);
  void Null() { Raw("null"); }
  void Bool(bool value) { Raw(value ? std::string_view("true") : std::string_view("false")); }
  void Signed(int64_t value);
  void Unsigned(uint64_t value);
  // JSON has no NaN or infinity: those are null.
  void Double(double value);

 private:
  // Room for `bytes` more at the cursor.
  char* Reserve(std::size_t bytes) {
    if (text_.size() - used_ < bytes) Grow(bytes);
    return text_.data() + used_;
  }
  void Grow(std::size_t bytes);

  std::string& text_;
  std::size_t used_;
};

}  // namespace kel::host
