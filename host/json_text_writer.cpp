#include "host/json_text_writer.h"

#include <rapidjson/internal/dtoa.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace kel::host {
namespace {

using text_blocks::kBlock;
using text_blocks::StopBits;

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

bool EndsPlainRun(unsigned char c) { return c < 0x20 || c == '"' || c == '\\'; }

// Copies the bytes of `text` up to the first that ends a plain run (below
// 0x20, NUL included, a quote or a backslash), at most `limit`, to `out`,
// and returns how many there were; writes up to 16 bytes past
// `out + limit`. The length of a key is known only at its NUL, so it reads
// whole blocks: the first one unaligned when it stays in its page (else
// byte by byte up to a block boundary), the rest aligned, and an aligned
// block never crosses a page, so every byte read around the text is in
// mapped memory. The sanitizers would count those bytes as outside the
// text, hence the attribute.
__attribute__((no_sanitize("address", "thread"))) std::size_t CopyPlainRun(const char* text, std::size_t limit,
                                                                           char* out) {
  const auto address = reinterpret_cast<std::uintptr_t>(text);
  const std::size_t to_boundary = kBlock - (address & (kBlock - 1));
  std::size_t done = 0;
  if (text_blocks::InOnePage(text)) {
    if (const unsigned stops = text_blocks::CopyBlock(text, out); stops != 0) {
      return std::min(static_cast<std::size_t>(std::countr_zero(stops)), limit);
    }
    done = to_boundary;
  } else {
    for (; done < to_boundary; ++done) {
      if (done == limit || EndsPlainRun(static_cast<unsigned char>(text[done]))) return done;
      out[done] = text[done];
    }
  }
  while (done < limit) {
    const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(text + done));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), bytes);
    if (const unsigned stops = StopBits(bytes); stops != 0) {
      return std::min(done + static_cast<std::size_t>(std::countr_zero(stops)), limit);
    }
    done += kBlock;
  }
  return limit;
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

JsonTextWriter::JsonTextWriter(std::string& text) : text_(text), cursor_(text.data() + text.size()), end_(cursor_) {}

void JsonTextWriter::Grow(std::size_t bytes) {
  // The cursor writes into the string's own length, straight to the
  // capacity (the caller may have reserved the size it expects). Where the
  // library has it (this file is built as C++23), the new length is taken
  // without zeroing it first: for the 2.4 MB champion list the zeroing cost
  // 5.2 M instructions, a fifth of the writing.
  const std::size_t used = Used();
  const std::size_t size = std::max({used + bytes, text_.capacity(), text_.size() * 2, std::size_t{256}});
#if defined(__cpp_lib_string_resize_and_overwrite)
  text_.resize_and_overwrite(size, [](char*, std::size_t length) { return length; });
#else
  text_.resize(size);
#endif
  cursor_ = text_.data() + used;
  end_ = text_.data() + text_.size();
}

void JsonTextWriter::Escaped(const char* text, std::size_t limit, bool stop_at_nul) {
  // Sixteen bytes past a run, and an escape fits in them.
  constexpr std::size_t kSlack = 16;
  Reserve(1);
  *cursor_++ = '"';
  while (text != nullptr && limit != 0) {
    Reserve(2 * kSlack);
    const std::size_t room = static_cast<std::size_t>(end_ - cursor_) - kSlack;
    const std::size_t allowed = limit < room ? limit : room;
    const std::size_t run = CopyPlainRun(text, allowed, cursor_);
    text += run;
    cursor_ += run;
    limit -= run;
    if (limit == 0 || run == allowed) continue;  // the end, or out of room
    const auto c = static_cast<unsigned char>(*text);
    if (c == 0 && stop_at_nul) break;
    cursor_ = EscapeByte(cursor_, c);
    ++text;
    --limit;
  }
  Reserve(1);
  *cursor_++ = '"';
}

void JsonTextWriter::Double(double value) {
  if (!std::isfinite(value)) return Null();
  Reserve(25);
  // 324 decimal places: RapidJSON's Writer default, the shortest text that
  // reads back as the same double.
  cursor_ = rapidjson::internal::dtoa(value, cursor_, 324);
}

}  // namespace kel::host
