#include "serialization/yaml_scalar.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "binding/binding_text_numbers.h"
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

void ResolveTagged(BindingResult& result, BindingValue& target, std::string_view tag, const char* text,
                   size_t length) {
  const std::string_view t(text, length);
  if (tag == kStrTag) {
    target.SetString(t);
  } else if (tag == kIntTag) {
    if (!t.empty() && t[0] == '-') {
      int64_t v = 0;
      if (TextToSigned(result, t, "yaml", "int64_t", INT64_MIN, INT64_MAX, v)) target.SetSigned(v);
    } else {
      uint64_t v = 0;
      if (TextToUnsigned(result, t, "yaml", "uint64_t", UINT64_MAX, v)) target.SetUnsigned(v);
    }
  } else if (tag == kFloatTag) {
    double v = 0;
    if (TextToDouble(result, t, "yaml", "double", -1.7976931348623157e308, 1.7976931348623157e308, v)) {
      target.SetDouble(v);
    }
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
  } else if (IsNullWord(t)) {
    target.Clear();
  } else if (ResolvePlainNumber(target, text, length)) {
  } else if (IsTrueWord(t)) {
    target.SetBool(true);
  } else if (IsFalseWord(t)) {
    target.SetBool(false);
  } else {
    target.SetString(t);
  }
}

}  // namespace kel
