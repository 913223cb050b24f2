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

bool IsOneOf(std::string_view text, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words) {
    if (text == w) return true;
  }
  return false;
}

bool IsNullWord(std::string_view t) { return IsOneOf(t, {"", "~", "null", "Null", "NULL"}); }
bool IsTrueWord(std::string_view t) {
  return IsOneOf(t, {"true", "True", "TRUE", "y", "Y", "yes", "Yes", "YES", "on", "On", "ON"});
}
bool IsFalseWord(std::string_view t) {
  return IsOneOf(t, {"false", "False", "FALSE", "n", "N", "no", "No", "NO", "off", "Off", "OFF"});
}

// A plain text that strtod reads whole as a finite number. Whole numbers
// become signed (negative) or unsigned; a whole number beyond the 64-bit
// range stays a float rather than overflowing the integer conversion.
bool ResolvePlainNumber(BindingValue& target, const char* text, size_t length) {
  // strtod skips leading white space, which a literal or folded block can
  // carry ("  5", "\n7"); the words it also reads (inf, nan) are not finite.
  if (length == 0) return false;
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

void ResolveTagged(BindingResult& result, BindingValue& target, std::string_view tag, const char* text,
                   size_t length) {
  const std::string_view t(text, length);
  if (tag == kStrTag) {
    target.SetString(t);
  } else if (tag == kIntTag) {
    AssignTaggedInteger(result, target, t);
  } else if (tag == kFloatTag) {
    AssignTaggedFloat(result, target, t);
  } else if (tag == kBoolTag) {
    if (IsTrueWord(t)) {
      target.SetBool(true);
    } else if (IsFalseWord(t)) {
      target.SetBool(false);
    }
  } else {
    result.Fail(FormatMessage("Unsupported YAML tag '%1'.", tag));
  }
}

}  // namespace

void ResolveYamlScalar(BindingResult& result, BindingValue& target, const char* tag, const char* text,
                       size_t length, bool quoted) {
  if (tag) {
    ResolveTagged(result, target, tag, text, length);
    return;
  }
  const std::string_view t(text, length);
  if (quoted) {
    target.SetString(t);
    return;
  }
  if (IsNullWord(t)) {
    target.Clear();
    return;
  }
  if (ResolvePlainNumber(target, text, length)) return;
  if (IsTrueWord(t)) {
    target.SetBool(true);
  } else if (IsFalseWord(t)) {
    target.SetBool(false);
  } else {
    target.SetString(t);
  }
}

}  // namespace kel
