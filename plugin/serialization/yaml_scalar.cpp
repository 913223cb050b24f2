#include "serialization/yaml_scalar.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "binding/conversion_rules.h"
#include "diagnostics/positional_format.h"

namespace kel {

namespace {

constexpr std::string_view kStrTag = "tag:yaml.org,2002:str";
constexpr std::string_view kIntTag = "tag:yaml.org,2002:int";
constexpr std::string_view kFloatTag = "tag:yaml.org,2002:float";
constexpr std::string_view kBoolTag = "tag:yaml.org,2002:bool";

enum class Word { kNone, kNull, kTrue, kFalse };

// A text of up to five bytes as one number (first byte lowest, length in the
// top byte), so that a word is found by a switch instead of by comparing
// texts; every word is at most five bytes long.
constexpr size_t kLongestWord = 5;
constexpr uint64_t Packed(std::string_view t) {
  uint64_t v = uint64_t{t.size()} << 56;
  for (size_t i = 0; i < t.size(); ++i) v |= uint64_t{static_cast<unsigned char>(t[i])} << (8 * i);
  return v;
}

Word WordOf(std::string_view t) {
  if (t.size() > kLongestWord) return Word::kNone;
  switch (Packed(t)) {
    case Packed(""):
    case Packed("~"):
    case Packed("null"):
    case Packed("Null"):
    case Packed("NULL"): return Word::kNull;
    case Packed("true"):
    case Packed("True"):
    case Packed("TRUE"):
    case Packed("y"):
    case Packed("Y"):
    case Packed("yes"):
    case Packed("Yes"):
    case Packed("YES"):
    case Packed("on"):
    case Packed("On"):
    case Packed("ON"): return Word::kTrue;
    case Packed("false"):
    case Packed("False"):
    case Packed("FALSE"):
    case Packed("n"):
    case Packed("N"):
    case Packed("no"):
    case Packed("No"):
    case Packed("NO"):
    case Packed("off"):
    case Packed("Off"):
    case Packed("OFF"): return Word::kFalse;
    default: return Word::kNone;
  }
}

// Up to 15 digits after an optional '-': a value below 2^53, which strtod
// would read exactly, so reading it here gives the same value without the
// call. "-0" is the unsigned 0, as strtod's -0.0 is.
constexpr size_t kExactDigits = 15;

bool ResolveShortInteger(BindingValue& target, const char* text, size_t length) {
  const bool negative = text[0] == '-';
  const size_t first = negative ? 1 : 0;
  if (length == first || length - first > kExactDigits) return false;
  uint64_t v = 0;
  for (size_t i = first; i < length; ++i) {
    const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
    if (digit > 9) return false;
    v = v * 10 + digit;
  }
  if (negative && v != 0) {
    target.SetSigned(-static_cast<int64_t>(v));
  } else {
    target.SetUnsigned(v);
  }
  return true;
}

// A plain text that strtod reads whole as a finite number. Whole numbers
// become signed (negative) or unsigned; a whole number beyond the 64-bit
// range stays a float rather than overflowing the integer conversion.
bool ResolvePlainNumber(BindingValue& target, const char* text, size_t length) {
  // strtod skips leading white space, which a literal or folded block can
  // carry ("  5", "\n7"); the words it also reads (inf, nan) are not finite,
  // and neither is anything else it reads from a text that starts with a
  // letter, so such a text is no number and needs no call.
  if (length == 0) return false;
  const unsigned char lead = static_cast<unsigned char>(text[0]) | 0x20;
  if (lead >= 'a' && lead <= 'z') return false;
  if (ResolveShortInteger(target, text, length)) return true;
  char* end = nullptr;
  const double d = std::strtod(text, &end);
  if (end != text + length || !std::isfinite(d)) return false;
  constexpr double kTwo63 = 9223372036854775808.0;
  constexpr double kTwo64 = 18446744073709551616.0;
  if (std::trunc(d) != d) {
    target.SetDouble(d);
  } else if (d < 0) {
    if (d >= -kTwo63) {
      target.SetSigned(static_cast<int64_t>(d));
    } else {
      target.SetDouble(d);
    }
  } else if (d < kTwo64) {
    target.SetUnsigned(static_cast<uint64_t>(d));
  } else {
    target.SetDouble(d);
  }
  return true;
}

// Typed integers and floats take the text rules of number fields, under the
// name "yaml" and the C type names.
constexpr std::string_view kName = "yaml";

void AssignTaggedInteger(BindingResult& result, BindingValue& target, std::string_view text) {
  BindingValue source;
  source.SetString(text);
  if (!text.empty() && text[0] == '-') {
    int64_t v = 0;
    conversion::AssignSigned(result, v, source, kName, INT64_MIN, INT64_MAX, "int64_t");
    if (result.Ok()) target.SetSigned(v);
  } else {
    uint64_t v = 0;
    conversion::AssignUnsigned(result, v, source, kName, UINT64_MAX, "uint64_t");
    if (result.Ok()) target.SetUnsigned(v);
  }
}

void AssignTaggedFloat(BindingResult& result, BindingValue& target, std::string_view text) {
  constexpr double kMax = 1.7976931348623157e308;
  BindingValue source;
  source.SetString(text);
  double v = 0;
  conversion::AssignFloating(result, v, source, kName, -kMax, kMax, "double");
  if (result.Ok()) target.SetDouble(v);
}

void ResolveTagged(BindingResult& result, BindingValue& target, std::string_view tag, const char* text, size_t length) {
  const std::string_view t(text, length);
  if (tag == kStrTag) {
    target.SetString(t);
  } else if (tag == kIntTag) {
    AssignTaggedInteger(result, target, t);
  } else if (tag == kFloatTag) {
    AssignTaggedFloat(result, target, t);
  } else if (tag == kBoolTag) {
    const Word word = WordOf(t);
    if (word == Word::kTrue || word == Word::kFalse) target.SetBool(word == Word::kTrue);
  } else {
    result.Fail(FormatMessage("Unsupported YAML tag '%1'.", tag));
  }
}

}  // namespace

void ResolveYamlScalar(BindingResult& result, BindingValue& target, const char* tag, const char* text, size_t length,
                       bool quoted) {
  if (tag) {
    ResolveTagged(result, target, tag, text, length);
    return;
  }
  const std::string_view t(text, length);
  if (quoted) {
    target.SetString(t);
    return;
  }
  // No word reads as a number, so the words may be tried first.
  switch (WordOf(t)) {
    case Word::kNull: target.Clear(); return;
    case Word::kTrue: target.SetBool(true); return;
    case Word::kFalse: target.SetBool(false); return;
    case Word::kNone: break;
  }
  if (ResolvePlainNumber(target, text, length)) return;
  target.SetString(t);
}

}  // namespace kel
