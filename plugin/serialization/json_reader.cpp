#include "serialization/json_reader.h"

// The reader's strings are scanned sixteen bytes at a time where the target
// has SSE2. That changes the reader's class, so this file keeps its own copy
// of the library under a namespace of its own: no other file (the writer, a
// test's document) sees a different definition of the same class.
#if defined(__SSE2__)
#define RAPIDJSON_SSE2
#endif
#define RAPIDJSON_NAMESPACE kel_json_reading
#define RAPIDJSON_NAMESPACE_BEGIN namespace kel_json_reading {
#define RAPIDJSON_NAMESPACE_END }
#include <rapidjson/reader.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "diagnostics/positional_format.h"
#include "serialization/json_error_texts.h"
#include "serialization/input_limits.h"

namespace kel {

namespace {

namespace rapidjson = ::kel_json_reading;

// Receives the reader's events and writes each value straight into its place
// in the tree: no intermediate document is built.
class JsonTreeBuilder {
 public:
  // may_hold_nul: whether the text holds an escaped NUL at all; without one
  // no decoded string needs to be searched for it. stream: the reader's
  // input, read again for the text of each fractional number.
  JsonTreeBuilder(BindingValue& root, bool may_hold_nul, const rapidjson::InsituStringStream& stream)
      : target_(&root), may_hold_nul_(may_hold_nul), stream_(stream) {
    open_.reserve(16);
  }

  // Why the handler stopped the reader: kNone when it did not.
  enum class Refusal { kNone, kNestingLimit, kCollectionLimit };
  Refusal refusal() const { return refusal_; }

  bool Null() { return NextTarget() != nullptr; }
  bool Bool(bool b) {
    return Put([b](BindingValue& t) { t.SetBool(b); });
  }
  bool Int(int i) { return Int64(i); }
  bool Uint(unsigned u) { return Uint64(u); }
  bool Int64(int64_t i) {
    return Put([i](BindingValue& t) { t.SetSigned(i); });
  }
  bool Uint64(uint64_t u) {
    return Put([u](BindingValue& t) { t.SetUnsigned(u); });
  }
  bool Double(double d) {
    const double exact = CorrectlyRounded(d);
    return Put([exact](BindingValue& t) { t.SetDouble(exact); });
  }
  // Only called with kParseNumbersAsStringsFlag, which is not used.
  bool RawNumber(const char*, rapidjson::SizeType, bool) { return false; }
  bool String(const char* text, rapidjson::SizeType length, bool) {
    const std::string_view view(text, UpToNul(text, length));
    return Put([view](BindingValue& t) { t.SetString(view); });
  }
  bool StartObject() { return Open(true); }
  // A repeated key starts its member afresh, so that the last value wins
  // whole instead of merging into an earlier array or object.
  bool Key(const char* text, rapidjson::SizeType length, bool) {
    target_ = &open_.back().value->Member(std::string_view(text, UpToNul(text, length)));
    target_->Clear();
    return true;
  }
  bool EndObject(rapidjson::SizeType) {
    open_.pop_back();
    return true;
  }
  bool StartArray() { return Open(false); }
  bool EndArray(rapidjson::SizeType) {
    open_.pop_back();
    return true;
  }

 private:
  struct OpenContainer {
    BindingValue* value;
    bool is_object;
  };

  // The reader's own conversion can land a few units off in the last place,
  // and its exact mode is not safe on long hostile digit runs; the standard
  // conversion is correctly rounded, so a double the writer wrote reads back
  // equal. The reader parses a number on its own copy of the stream and
  // writes the position back after the handler returns, so during Double the
  // stream still stands at the number's first character.
  static_assert(rapidjson::StreamTraits<rapidjson::InsituStringStream>::copyOptimization == 1);
  double CorrectlyRounded(double approximate) const {
    const char* begin = stream_.src_;
    const char* end = begin;
    while (IsNumberChar(*end)) ++end;
    double exact = 0;
    const auto [stop, error] = std::from_chars(begin, end, exact);
    // Out of range (a magnitude below the smallest double) keeps the reader's 0.
    return error == std::errc() && stop == end ? exact : approximate;
  }

  static bool IsNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+';
  }

  // Texts end at their first NUL: an escaped \u0000 cuts the string there.
  size_t UpToNul(const char* text, size_t length) const {
    if (!may_hold_nul_) return length;
    const void* nul = std::memchr(text, 0, length);
    return nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length;
  }

  // Inside an array every value is a new element; inside an object the key
  // has already chosen the member; at the top it is the root. Null when the
  // array is full.
  BindingValue* NextTarget() {
    if (open_.empty() || open_.back().is_object) return target_;
    BindingValue& array = *open_.back().value;
    if (array.Size() >= kMaxCollectionSize) {
      refusal_ = Refusal::kCollectionLimit;
      return nullptr;
    }
    return &array.Append();
  }

  template <class Set>
  bool Put(Set set) {
    BindingValue* target = NextTarget();
    if (target == nullptr) return false;
    set(*target);
    return true;
  }

  bool Open(bool is_object) {
    if (open_.size() >= kMaxNestingDepth) {
      refusal_ = Refusal::kNestingLimit;
      return false;
    }
    BindingValue* target = NextTarget();
    if (target == nullptr) return false;
    if (is_object) {
      target->MakeStructure();
    } else {
      target->MakeCollection();
    }
    open_.push_back({target, is_object});
    return true;
  }

  BindingValue* target_;
  bool may_hold_nul_;
  const rapidjson::InsituStringStream& stream_;
  std::vector<OpenContainer> open_;
  Refusal refusal_ = Refusal::kNone;
};

bool IsJsonSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// What the parse needs to know of the text before it starts: its length (to
// copy it and ready the string pool) and whether any string in it may hold an escaped
// NUL. One pass that stops only at backslashes finds both; a backslash
// starts a two-character escape or \uXXXX, so stepping over the character
// after it keeps the pass on escape boundaries, and an escaped backslash
// before "u0000" is not taken for a NUL.
struct TextSurvey {
  size_t length;
  bool may_hold_nul;
};

TextSurvey Survey(const char* text) {
  bool may_hold_nul = false;
  const char* p = text;
  for (;;) {
    p = strchrnul(p, '\\');
    if (*p == '\0') return {static_cast<size_t>(p - text), may_hold_nul};
    if (p[1] == 'u' && p[2] == '0' && p[3] == '0' && p[4] == '0' && p[5] == '0') may_hold_nul = true;
    p += p[1] == '\0' ? 1 : 2;
  }
}

// The text the reader decodes in place: a copy of the input (which is the
// caller's and read-only) with sixteen bytes after its NUL, so that the
// sixteen-byte scans never read past the block. Its strings are decoded into
// their own bytes and handed to the tree from there, instead of being pushed
// byte by byte onto the reader's stack and copied from it. From the C
// allocator, like the reader's own stack: scratch of the parse, not memory
// the plug-in holds.
struct FreeBlock {
  void operator()(char* block) const { std::free(block); }
};
using WorkingText = std::unique_ptr<char, FreeBlock>;

constexpr size_t kScanPadding = 16;

WorkingText CopyForDecoding(const char* text, size_t length) {
  WorkingText copy(static_cast<char*>(std::malloc(length + 1 + kScanPadding)));
  if (copy) {
    std::memcpy(copy.get(), text, length + 1);
    std::memset(copy.get() + length + 1, 0, kScanPadding);
  }
  return copy;
}

}  // namespace

BindingResult ParseJson(const char* text) {
  BindingResult result;
  if (text == nullptr) return result;
  const char* p = text;
  while (IsJsonSpace(*p)) ++p;
  if (*p == '\0') return result;

  const TextSurvey survey = Survey(p);
  const WorkingText working = CopyForDecoding(text, static_cast<size_t>(p - text) + survey.length);
  // As when the tree itself cannot grow.
  if (!working) throw std::bad_alloc();
  ReserveTextsFor(result.Value(), survey.length);
  rapidjson::InsituStringStream stream(working.get());
  JsonTreeBuilder builder(result.Value(), survey.may_hold_nul, stream);
  rapidjson::Reader reader;
  if (reader.Parse<rapidjson::kParseInsituFlag>(stream, builder)) return result;

  size_t offset = reader.GetErrorOffset();
  const char* reason = JsonParseErrorText(reader.GetParseErrorCode());
  switch (builder.refusal()) {
    case JsonTreeBuilder::Refusal::kNone: break;
    case JsonTreeBuilder::Refusal::kNestingLimit:
      reason = kNestingLimitText;
      // The reader reports the position after the refused bracket.
      offset -= 1;
      break;
    case JsonTreeBuilder::Refusal::kCollectionLimit: reason = kCollectionLimitText; break;
  }
  result.Fail(FormatMessage("Error: %1 at offset %2.", reason, offset));
  return result;
}

}  // namespace kel
