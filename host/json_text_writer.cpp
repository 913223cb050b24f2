#include "host/json_text_writer.h"

#include <rapidjson/internal/dtoa.h>
#include <rapidjson/internal/itoa.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kel::host {
namespace {

// What follows the backslash for a byte that must be escaped; 0 for a byte
// written as it is. 'u' is \u00XX.
constexpr auto kEscapes = [] {
  struct Table {
    char of[256]{};
  } table;
  for (int c = 0; c < 0x20; ++c) table.of[c] = 'u';
  table.of['\b'] = 'b';
  table.of['\t'] = 't';
  table.of['\n'] = 'n';
  table.of['\f'] = 'f';
  table.of['\r'] = 'r';
  table.of['"'] = '"';
  table.of['\\'] = '\\';
  return table;
}();

constexpr char kHexDigits[] = "0123456789ABCDEF";

// True when one of the eight bytes of `word` must be escaped: below 0x20, a
// quote or a backslash.
bool NeedsEscape(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  const std::uint64_t quotes = word ^ (kOnes * '"');
  const std::uint64_t backslashes = word ^ (kOnes * '\\');
  const std::uint64_t zeroOrLow = (word - kOnes * 0x20) & ~word;
  const std::uint64_t anyZero = ((quotes - kOnes) & ~quotes) | ((backslashes - kOnes) & ~backslashes);
  return ((zeroOrLow | anyZero) & kHighs) != 0;
}

// Writes the escaped form of one byte that needs escaping.
char* EscapeByte(char* out, unsigned char c) {
  const char escape = kEscapes.of[c];
  *out++ = '\\';
  *out++ = escape;
  if (escape == 'u') {
    *out++ = '0';
    *out++ = '0';
    *out++ = kHexDigits[c >> 4];
    *out++ = kHexDigits[c & 0xF];
  }
  return out;
}

}  // namespace

void JsonTextWriter::Grow(std::size_t bytes) {
  // resize, not reserve: the cursor writes into the string's own length.
  // Straight to the capacity (the caller may have reserved the size it
  // expects), so that the zeroing that resize does happens once.
  text_.resize(std::max({used_ + bytes, text_.capacity(), text_.size() * 2, std::size_t{256}}));
}

void JsonTextWriter::Raw(std::string_view bytes) {
  std::memcpy(Reserve(bytes.size()), bytes.data(), bytes.size());
  used_ += bytes.size();
}

void JsonTextWriter::String(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  // Every byte as \u00XX at worst, and room for a whole word past the end.
  char* out = Reserve(10 + size * 6);
  char* const start = out;
  *out++ = '"';
  std::size_t i = 0;
  for (;;) {
    // Eight bytes at a time while none needs escaping.
    std::uint64_t word;
    while (i + 8 <= size) {
      std::memcpy(&word, bytes + i, 8);
      if (NeedsEscape(word)) break;
      std::memcpy(out, &word, 8);
      out += 8;
      i += 8;
    }
    if (i == size) break;
    const std::size_t left = size - i;
    if (left < 8) {
      // The last bytes as one word: the eight that end the text when it is
      // that long (those before `i` went out unescaped, so they land on
      // themselves), else the text padded with spaces.
      if (size >= 8) {
        std::memcpy(&word, bytes + size - 8, 8);
      } else {
        word = 0x2020202020202020u;
        std::memcpy(&word, bytes, size);
      }
      if (!NeedsEscape(word)) {
        std::memcpy(size >= 8 ? out + left - 8 : out, &word, 8);
        out += left;
        break;
      }
    }
    const unsigned char c = bytes[i++];
    if (kEscapes.of[c] == 0) {
      *out++ = static_cast<char>(c);
    } else {
      out = EscapeByte(out, c);
    }
  }
  *out++ = '"';
  used_ += static_cast<std::size_t>(out - start);
}

void JsonTextWriter::Signed(int64_t value) {
  char* out = Reserve(21);
  used_ += static_cast<std::size_t>(rapidjson::internal::i64toa(value, out) - out);
}

void JsonTextWriter::Unsigned(uint64_t value) {
  char* out = Reserve(20);
  used_ += static_cast<std::size_t>(rapidjson::internal::u64toa(value, out) - out);
}

void JsonTextWriter::Double(double value) {
  if (!std::isfinite(value)) return Null();
  char* out = Reserve(25);
  // 324 decimal places: RapidJSON's Writer default, the shortest text that
  // reads back as the same double.
  used_ += static_cast<std::size_t>(rapidjson::internal::dtoa(value, out, 324) - out);
}

}  // namespace kel::host
