// The host's own JSON text writer for what it answers from the plug-in's
// values: appends straight into a std::string through a cursor, finds where
// a text ends and what in it needs escaping in the same pass that copies it,
// and writes every token exactly as RapidJSON's Writer does (the same
// escapes, the same number texts), so answers do not change with the writer.
// Separators are the caller's. The tokens of a champion list are mostly
// short (keys, flags, small numbers, names), so a Run writes those in place
// and only longer or escaped texts go out of line.
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
  // JSON has no NaN or infinity: those are null.
  void Double(double value);
  void Null() { Raw("null"); }

  class Run;
  class QuotedKeys;

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

// The quoted keys (,"key":) one walk has written, by the key's address. A
// plug-in writes a field's name once per answer and points the members of
// that field at it, so 95 % of the 105,000 keys of a champion list are
// found here, each one copy of its bytes instead of a scan of its blocks
// (10.5 M instructions per list written against 12.6 M). Good for one walk
// only: the value does not change while it is written, but another answer
// may put other texts at the same addresses.
class JsonTextWriter::QuotedKeys {
 public:
  QuotedKeys() {
    // Every slot starts as the null key, which is written as "":.
    for (Slot& slot : slots_) slot = Slot{nullptr, 4, {',', '"', '"', ':'}};
  }
  QuotedKeys(const QuotedKeys&) = delete;
  QuotedKeys& operator=(const QuotedKeys&) = delete;

 private:
  friend class Run;
  // Keys up to 28 bytes, after a comma, quoted and with their colon. The
  // text is written from its comma, or from the byte after it for the
  // first member, always kRoom bytes at once; hence one byte more.
  static constexpr std::size_t kRoom = 32;
  struct Slot {
    const char* key;
    std::uint32_t length;  // with the comma
    char text[kRoom + 1];
  };
  static constexpr unsigned kSlotBits = 9;

  Slot& SlotOf(const char* key) {
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(key));
    return slots_[(address * 0x9E3779B97F4A7C15u) >> (64 - kSlotBits)];
  }

  Slot slots_[std::size_t{1} << kSlotBits];
};

// A run of tokens written through a cursor of its own. A Run is its
// caller's local and its address never leaves it, so the compiler keeps
// the cursor in a register; the writer's cursor, stored through a char
// pointer, would be reloaded after every byte written. Room is made once
// for a batch of members (Ensure(kBatchRoom)); the short forms write in
// place, and a token that does not fit them goes out of line through the
// writer, which makes the room of a whole batch again after it.
class JsonTextWriter::Run {
 public:
  // A short text's blocks and its quotes; a short key's, with its colon
  // (a key ends at a NUL inside the blocks, so it is shorter), and any
  // other scalar's short form.
  static constexpr std::size_t kTokenRoom = text_blocks::kShortBlocks * text_blocks::kBlock + 2;
  // A comma, a key and its value.
  static constexpr std::size_t kMemberRoom = 1 + 2 * kTokenRoom;
  // Members written after one Ensure: the check before every member was a
  // twentieth of the instructions of a champion list.
  static constexpr std::size_t kBatch = 8;
  static constexpr std::size_t kBatchRoom = kBatch * kMemberRoom;

  explicit Run(JsonTextWriter& writer) : writer_(writer), out_(writer.cursor_), end_(writer.end_) {}
  ~Run() { writer_.cursor_ = out_; }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  void Ensure(std::size_t bytes) {
    if (static_cast<std::size_t>(end_ - out_) < bytes) Reserve(bytes);
  }
  // Each write below needs the room ensured for one token (for a whole
  // member, a key and its value).
  void Put(char c) { *out_++ = c; }
  // A comma when `needed`; written either way and kept only then, which
  // costs less than the branch on the first element of every array.
  void Comma(bool needed) {
    *out_ = ',';
    out_ += needed ? 1 : 0;
  }
  // ,"key": for a NUL-terminated key (the comma only when `comma`), from
  // `keys` when the walk wrote it before.
  void Key(const char* key, QuotedKeys& keys, bool comma) {
    QuotedKeys::Slot& slot = keys.SlotOf(key);
    if (slot.key != key && !LearnKey(key, slot, comma)) return;
    const std::size_t skip = comma ? 0 : 1;
    std::memcpy(out_, slot.text + skip, QuotedKeys::kRoom);
    out_ += slot.length - skip;
  }
  // A JSON string of the text at `text`: at most `limit` bytes, up to a NUL.
  void Text(const char* text, std::size_t limit) {
    const std::size_t length = text != nullptr ? text_blocks::CopyShortText<true>(text, limit, out_ + 1) : 0;
    if (length == text_blocks::kNotShort) {
      return OutOfLine([text, limit](JsonTextWriter& writer) { writer.Escaped(text, limit, true); });
    }
    out_[0] = '"';
    out_[length + 1] = '"';
    out_ += length + 2;
  }
  void Bool(bool value) {
    static constexpr char kTexts[2][8] = {"false", "true"};
    std::memcpy(out_, kTexts[value ? 1 : 0], 8);
    out_ += value ? 4 : 5;
  }
  // Integers have one decimal text, so any exact conversion writes what
  // RapidJSON's does.
  template <typename Integral>
  void Integer(Integral value) {
    constexpr std::size_t kLongest = 20;  // "-9223372036854775808", "18446744073709551615"
    static_assert(kLongest <= kTokenRoom);
    out_ = std::to_chars(out_, out_ + kLongest, value).ptr;
  }
  void Null() {
    std::memcpy(out_, "null", 4);
    out_ += 4;
  }
  void Double(double value) {
    OutOfLine([value](JsonTextWriter& writer) { writer.Double(value); });
  }
  void String(std::string_view bytes) {
    OutOfLine([bytes](JsonTextWriter& writer) { writer.String(bytes); });
  }

 private:
  // Hands the cursor to the writer for `write`, then takes it back with
  // the room of a batch after it.
  template <typename Write>
  void OutOfLine(const Write& write) {
    writer_.cursor_ = out_;
    write(writer_);
    writer_.Reserve(kBatchRoom);
    out_ = writer_.cursor_;
    end_ = writer_.end_;
  }
  void Reserve(std::size_t bytes) {
    writer_.cursor_ = out_;
    writer_.Reserve(bytes);
    out_ = writer_.cursor_;
    end_ = writer_.end_;
  }
  // Writes a key the walk has not written before: into `slot` when it fits
  // one, and then the caller writes it from there (true); else at the
  // cursor (false).
  bool LearnKey(const char* key, QuotedKeys::Slot& slot, bool comma);

  JsonTextWriter& writer_;
  char* out_;
  char* end_;
};

inline bool JsonTextWriter::Run::LearnKey(const char* key, QuotedKeys::Slot& slot, bool comma) {
  *out_ = ',';
  char* at = out_ + (comma ? 1 : 0);
  const std::size_t length = key != nullptr ? text_blocks::CopyShortText<false>(key, 0, at + 1) : 0;
  if (length == text_blocks::kNotShort) {
    out_ = at;
    OutOfLine([key](JsonTextWriter& writer) {
      writer.Escaped(key, SIZE_MAX, true);
      writer.Raw(':');
    });
    return false;
  }
  at[0] = '"';
  at[length + 1] = '"';
  at[length + 2] = ':';
  const std::size_t quoted = length + 3;
  if (quoted + 1 > QuotedKeys::kRoom) {
    out_ = at + quoted;
    return false;
  }
  slot.key = key;
  slot.length = static_cast<std::uint32_t>(quoted + 1);
  slot.text[0] = ',';
  std::memcpy(slot.text + 1, at, QuotedKeys::kRoom);
  return true;
}

}  // namespace kel::host
