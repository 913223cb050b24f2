#include "serialization/json_reader.h"

#include <rapidjson/reader.h>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "diagnostics/positional_format.h"
#include "serialization/json_error_texts.h"
#include "serialization/nesting_limit.h"

namespace kel {

namespace {

// Receives the reader's events and writes each value straight into its place
// in the tree: no intermediate document is built.
class JsonTreeBuilder {
 public:
  explicit JsonTreeBuilder(BindingValue& root) : target_(&root) { open_.reserve(16); }

  bool depth_exceeded() const { return depth_exceeded_; }

  bool Null() {
    NextTarget();
    return true;
  }
  bool Bool(bool b) {
    NextTarget().SetBool(b);
    return true;
  }
  bool Int(int i) { return Int64(i); }
  bool Uint(unsigned u) { return Uint64(u); }
  bool Int64(int64_t i) {
    NextTarget().SetSigned(i);
    return true;
  }
  bool Uint64(uint64_t u) {
    NextTarget().SetUnsigned(u);
    return true;
  }
  bool Double(double d) {
    NextTarget().SetDouble(d);
    return true;
  }
  bool RawNumber(const char*, rapidjson::SizeType, bool) { return false; }  // not requested
  bool String(const char* text, rapidjson::SizeType length, bool) {
    NextTarget().SetString(std::string_view(text, UpToNul(text, length)));
    return true;
  }
  bool StartObject() { return Open(true); }
  bool Key(const char* text, rapidjson::SizeType length, bool) {
    target_ = &open_.back().value->Member(std::string_view(text, UpToNul(text, length)));
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

  // Texts end at their first NUL: an escaped \u0000 cuts the string there.
  static size_t UpToNul(const char* text, size_t length) {
    const void* nul = std::memchr(text, 0, length);
    return nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length;
  }

  // Inside an array every value is a new element; inside an object the key
  // has already chosen the member; at the top it is the root.
  BindingValue& NextTarget() {
    if (!open_.empty() && !open_.back().is_object) return open_.back().value->Append();
    return *target_;
  }

  bool Open(bool is_object) {
    if (open_.size() >= kMaxNestingDepth) {
      depth_exceeded_ = true;
      return false;
    }
    BindingValue& target = NextTarget();
    if (is_object) {
      target.MakeStructure();
    } else {
      target.MakeCollection();
    }
    open_.push_back({&target, is_object});
    return true;
  }

  BindingValue* target_;
  std::vector<OpenContainer> open_;
  bool depth_exceeded_ = false;
};

bool IsJsonSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

}  // namespace

BindingResult ParseJson(const char* text) {
  BindingResult result;
  const char* p = text;
  while (IsJsonSpace(*p)) ++p;
  if (*p == '\0') return result;

  JsonTreeBuilder builder(result.Value());
  rapidjson::Reader reader;
  rapidjson::StringStream stream(text);
  if (reader.Parse<rapidjson::kParseDefaultFlags>(stream, builder)) return result;

  size_t offset = reader.GetErrorOffset();
  const char* reason = JsonParseErrorText(reader.GetParseErrorCode());
  if (builder.depth_exceeded()) {
    // The reader reports the position after the bracket that went too deep.
    offset -= 1;
    reason = kNestingLimitText;
  }
  result.Fail(FormatMessage("Error: %1 at offset %2.", reason, offset));
  return result;
}

}  // namespace kel
