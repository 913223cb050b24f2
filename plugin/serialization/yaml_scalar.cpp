#include "serialization/yaml_scalar.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

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
  // A plain scalar never starts with white space, and the words strtod also
  // reads (inf, nan) are not finite: only these can start a number here.
  if (length == 0) return false;
  const char first = text[0];
  if (!((first >= '0' && first <= '9') || first == '+' || first == '-' || first == '.')) return false;
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

// The text rules for typed scalars, as for any text assigned to a number
// field: base auto-detected integers ("0x" hexadecimal, leading "0" octal),
// C doubles, nothing left over, within the type's range.
constexpr const char* kIncorrectFormat = "Value %1 for '%2' of type %3 is in an incorrect format";
constexpr const char* kOutOfRange = "Value %1 for '%2' of type %3 is out of range";
constexpr const char* kName = "yaml";

void FailNumber(BindingResult& result, const char* message, const std::string& text, const char* type_name) {
  result.Fail(FormatMessage(message, text, kName, type_name));
}

void AssignTaggedInteger(BindingResult& result, BindingValue& target, const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  if (!text.empty() && text[0] == '-') {
    const long long v = std::strtoll(begin, &end, 0);
    if (end != begin + text.size()) return FailNumber(result, kIncorrectFormat, text, "int64_t");
    if (errno == ERANGE) return FailNumber(result, kOutOfRange, text, "int64_t");
    target.SetSigned(v);
    return;
  }
  const unsigned long long v = std::strtoull(begin, &end, 0);
  if (end != begin + text.size()) return FailNumber(result, kIncorrectFormat, text, "uint64_t");
  // strtoull accepts a sign after leading white space and negates.
  const size_t first = text.find_first_not_of(" \t\n\v\f\r");
  if (errno == ERANGE || (first != std::string::npos && text[first] == '-')) {
    return FailNumber(result, kOutOfRange, text, "uint64_t");
  }
  target.SetUnsigned(v);
}

void AssignTaggedFloat(BindingResult& result, BindingValue& target, const std::string& text) {
  constexpr double kMax = 1.7976931348623157e308;
  char* end = nullptr;
  errno = 0;
  const double d = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return FailNumber(result, kIncorrectFormat, text, "double");
  if (errno == ERANGE && std::abs(d) > 1.0) return FailNumber(result, kOutOfRange, text, "double");
  if (d < -kMax || d > kMax) return FailNumber(result, kOutOfRange, text, "double");
  target.SetDouble(d);
}

void ResolveTagged(BindingResult& result, BindingValue& target, std::string_view tag, const char* text,
                   size_t length) {
  const std::string_view t(text, length);
  if (tag == kStrTag) {
    target.SetString(t);
  } else if (tag == kIntTag) {
    AssignTaggedInteger(result, target, std::string(t));
  } else if (tag == kFloatTag) {
    AssignTaggedFloat(result, target, std::string(t));
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
