#include "binding/conversion_rules.h"

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "binding/binding_registry.h"
#include "diagnostics/positional_format.h"

namespace kel::conversion {
namespace {

constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;

std::string Decimal(std::int64_t value) { return std::to_string(value); }
std::string Decimal(std::uint64_t value) { return std::to_string(value); }
std::string General(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

void FailInvalidType(BindingResult& result, std::string_view name, std::string_view typeName,
                     const BindingValue& source) {
  result.Fail(FormatMessage("Couldn't assign value to '%1' of type %2 because the input is of an invalid type %3.",
                            name, typeName, BindingValueKindName(source.Kind())));
}

void FailOutOfRange(BindingResult& result, std::string_view input, std::string_view name, std::string_view typeName) {
  result.Fail(FormatMessage("Value %1 for '%2' of type %3 is out of range", input, name, typeName));
}

void FailFormat(BindingResult& result, std::string_view input, std::string_view name, std::string_view typeName) {
  result.Fail(FormatMessage("Value %1 for '%2' of type %3 is in an incorrect format", input, name, typeName));
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Outcome of reading a whole text as a number.
enum class Parse { kOk, kLeftover, kOverflow };

// Base detection as strtoll does it: "0x" hexadecimal, "0" octal, else
// decimal; leading white space and a sign allowed. The empty text is 0.
template <typename Number, typename Reader>
Parse ParseWhole(std::string_view text, Number& value, Reader read) {
  value = 0;
  if (text.empty()) return Parse::kOk;
  const char* begin = text.data();  // interned texts are NUL-terminated
  char* end = nullptr;
  errno = 0;
  value = read(begin, &end);
  if (end != begin + text.size()) return Parse::kLeftover;
  return errno == ERANGE ? Parse::kOverflow : Parse::kOk;
}

Parse ParseSigned(std::string_view text, std::int64_t& value) {
  return ParseWhole(text, value,
                    [](const char* b, char** e) { return static_cast<std::int64_t>(std::strtoll(b, e, 0)); });
}

Parse ParseUnsigned(std::string_view text, std::uint64_t& value) {
  return ParseWhole(text, value,
                    [](const char* b, char** e) { return static_cast<std::uint64_t>(std::strtoull(b, e, 0)); });
}

// A minus sign after any leading white space: the text names a negative
// number, which no unsigned type holds (strtoull would wrap it around).
bool IsNegativeText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  return i < text.size() && text[i] == '-';
}

bool EnumHasValue(const BindingTypeInfo* info, std::int32_t value) {
  return info != nullptr && info->FindEnumerator(value) != nullptr;
}

std::string_view EnumName(const BindingTypeInfo* info) { return info != nullptr ? std::string_view(info->name) : ""; }

void FailNotEnumerator(BindingResult& result, std::string_view input, const BindingTypeInfo* info,
                       std::string_view name) {
  result.Fail(FormatMessage("%1 is not a valid %2 enumeration value for '%3'.", input, EnumName(info), name));
}

}  // namespace

bool Present(BindingResult& result, const BindingValue& source, std::string_view name) {
  if (!result.Ok()) return false;
  if (!source.IsEmpty()) return true;
  result.Fail(FormatMessage("A value for '%1' is required.", name));
  return false;
}

void AssignBool(BindingResult& result, bool& out, const BindingValue& source, std::string_view name) {
  if (!Present(result, source, name)) return;
  switch (source.Kind()) {
    case BindingValueKind::kBool: out = source.GetBool(); return;
    case BindingValueKind::kString: {
      std::string_view text = source.GetString();
      if (text == "true" || text == "1")
        out = true;
      else if (text == "false" || text == "0")
        out = false;
      else
        result.Fail(FormatMessage(
            "Value %1 for '%2' of type bool is in an incorrect format. Options are \"true\", \"false\", \"1\", \"0\".",
            text, name));
      return;
    }
    default:
      result.Fail(
          FormatMessage("Couldn't assign value to '%1' of type bool because the input is of an invalid type %2.", name,
                        BindingValueKindName(source.Kind())));
  }
}

void AssignSigned(BindingResult& result, std::int64_t& out, const BindingValue& source, std::string_view name,
                  std::int64_t min, std::int64_t max, std::string_view typeName) {
  if (!Present(result, source, name)) return;
  switch (source.Kind()) {
    case BindingValueKind::kSigned: {
      std::int64_t value = source.GetSigned();
      if (value < min || value > max) return FailOutOfRange(result, Decimal(value), name, typeName);
      out = value;
      return;
    }
    case BindingValueKind::kUnsigned: {
      std::uint64_t value = source.GetUnsigned();
      if (value > static_cast<std::uint64_t>(max)) return FailOutOfRange(result, Decimal(value), name, typeName);
      out = static_cast<std::int64_t>(value);
      return;
    }
    case BindingValueKind::kFloat: {
      double value = source.GetDouble();
      // NaN compares false with every bound, so it is tested on its own. The
      // 64-bit maximum rounds up to 2^63 as a double, which no int64 holds.
      bool inRange = value >= static_cast<double>(min) && value <= static_cast<double>(max) &&
                     (max < INT64_MAX || value < kTwoTo63);
      if (std::isnan(value) || !inRange) return FailOutOfRange(result, General(value), name, typeName);
      out = static_cast<std::int64_t>(value);
      return;
    }
    case BindingValueKind::kString: {
      std::string_view text = source.GetString();
      std::int64_t value = 0;
      Parse parse = ParseSigned(text, value);
      if (parse == Parse::kLeftover) return FailFormat(result, text, name, typeName);
      if (parse == Parse::kOverflow || value < min || value > max) return FailOutOfRange(result, text, name, typeName);
      out = value;
      return;
    }
    case BindingValueKind::kEnum: {
      std::int64_t value = source.GetEnum().value;
      if (value < min || value > max) return FailOutOfRange(result, Decimal(value), name, typeName);
      out = value;
      return;
    }
    default: FailInvalidType(result, name, typeName, source);
  }
}

void AssignUnsigned(BindingResult& result, std::uint64_t& out, const BindingValue& source, std::string_view name,
                    std::uint64_t max, std::string_view typeName) {
  if (!Present(result, source, name)) return;
  switch (source.Kind()) {
    case BindingValueKind::kSigned: {
      std::int64_t value = source.GetSigned();
      if (value < 0 || static_cast<std::uint64_t>(value) > max)
        return FailOutOfRange(result, Decimal(value), name, typeName);
      out = static_cast<std::uint64_t>(value);
      return;
    }
    case BindingValueKind::kUnsigned: {
      std::uint64_t value = source.GetUnsigned();
      if (value > max) return FailOutOfRange(result, Decimal(value), name, typeName);
      out = value;
      return;
    }
    case BindingValueKind::kFloat: {
      double value = source.GetDouble();
      // The 64-bit maximum rounds up to 2^64 as a double, which no uint64 holds.
      bool inRange = value >= 0 && value <= static_cast<double>(max) && (max < UINT64_MAX || value < kTwoTo64);
      if (std::isnan(value) || !inRange) return FailOutOfRange(result, General(value), name, typeName);
      out = static_cast<std::uint64_t>(value);
      return;
    }
    case BindingValueKind::kString: {
      std::string_view text = source.GetString();
      std::uint64_t value = 0;
      Parse parse = ParseUnsigned(text, value);
      if (parse == Parse::kLeftover) return FailFormat(result, text, name, typeName);
      if (parse == Parse::kOverflow || IsNegativeText(text) || value > max)
        return FailOutOfRange(result, text, name, typeName);
      out = value;
      return;
    }
    case BindingValueKind::kEnum: {
      std::int32_t value = source.GetEnum().value;
      if (value < 0 || static_cast<std::uint64_t>(value) > max)
        return FailOutOfRange(result, Decimal(std::int64_t{value}), name, typeName);
      out = static_cast<std::uint64_t>(value);
      return;
    }
    default: FailInvalidType(result, name, typeName, source);
  }
}

void AssignFloating(BindingResult& result, double& out, const BindingValue& source, std::string_view name, double min,
                    double max, std::string_view typeName) {
  if (!Present(result, source, name)) return;
  // Integer inputs are range-checked against the bounds as integers when the
  // bounds fit in 64 bits; the float and double bounds never do.
  bool boundsFitSigned = min >= -kTwoTo63 && max < kTwoTo63;
  switch (source.Kind()) {
    case BindingValueKind::kSigned:
    case BindingValueKind::kEnum: {
      std::int64_t value = source.AsSigned();
      if (boundsFitSigned && (value < static_cast<std::int64_t>(min) || value > static_cast<std::int64_t>(max)))
        return FailOutOfRange(result, Decimal(value), name, typeName);
      out = static_cast<double>(value);
      return;
    }
    case BindingValueKind::kUnsigned: {
      std::uint64_t value = source.GetUnsigned();
      if (max >= 0 && max < kTwoTo64 && value > static_cast<std::uint64_t>(max))
        return FailOutOfRange(result, Decimal(value), name, typeName);
      out = static_cast<double>(value);
      return;
    }
    case BindingValueKind::kFloat: {
      double value = source.GetDouble();
      if (value < min || value > max) return FailOutOfRange(result, General(value), name, typeName);
      out = value;
      return;
    }
    case BindingValueKind::kString: {
      std::string_view text = source.GetString();
      double value = 0;
      Parse parse = ParseWhole(text, value, [](const char* b, char** e) { return std::strtod(b, e); });
      if (parse == Parse::kLeftover) return FailFormat(result, text, name, typeName);
      bool overflow = parse == Parse::kOverflow && std::isinf(value);
      if (overflow || value < min || value > max) return FailOutOfRange(result, text, name, typeName);
      out = value;
      return;
    }
    default: FailInvalidType(result, name, typeName, source);
  }
}

void AssignString(BindingResult& result, std::string& out, const BindingValue& source, std::string_view name,
                  const BindingRegistry& registry) {
  if (!Present(result, source, name)) return;
  switch (source.Kind()) {
    case BindingValueKind::kString: out.assign(source.GetString()); return;
    case BindingValueKind::kEnum: {
      BindingEnum pair = source.GetEnum();
      if (const char* enumerator = registry.EnumeratorName(pair.type, pair.value)) {
        out.assign(enumerator);
        return;
      }
      result.Fail(
          FormatMessage("%1 is not a valid enumeration value for '%2'.", Decimal(std::int64_t{pair.value}), name));
      return;
    }
    default: result.Fail(FormatMessage("Couldn't assign value to '%1' because the input is not a string.", name));
  }
}

void AssignBlob(BindingResult& result, std::vector<std::uint8_t>& out, const BindingValue& source,
                std::string_view name) {
  if (!Present(result, source, name)) return;
  if (source.Kind() != BindingValueKind::kBlob) return FailInvalidType(result, name, "blob", source);
  std::span<const std::uint8_t> bytes = source.GetBlob();
  out.assign(bytes.begin(), bytes.end());
}

void AssignEnum(BindingResult& result, std::int32_t& out, const BindingValue& source, std::string_view name,
                const BindingTypeInfo* info) {
  if (!Present(result, source, name)) return;
  switch (source.Kind()) {
    case BindingValueKind::kSigned:
    case BindingValueKind::kUnsigned:
    case BindingValueKind::kEnum: {
      // The low 32 bits, read as a signed 32-bit number.
      std::int32_t value = static_cast<std::int32_t>(static_cast<std::uint32_t>(source.AsUnsigned()));
      if (!EnumHasValue(info, value)) {
        std::string input =
            source.Kind() == BindingValueKind::kUnsigned ? Decimal(source.GetUnsigned()) : Decimal(source.AsSigned());
        return FailNotEnumerator(result, input, info, name);
      }
      out = value;
      return;
    }
    case BindingValueKind::kString: {
      std::string_view text = source.GetString();
      if (info != nullptr) {
        auto found = info->enumerators.find(text);
        if (found != info->enumerators.end()) {
          out = found->second.value;
          return;
        }
      }
      // A number in text must be a whole int32 that names an enumerator.
      std::int64_t number = 0;
      bool isNumber = ParseSigned(text, number) == Parse::kOk && number >= INT32_MIN && number <= INT32_MAX;
      if (isNumber && EnumHasValue(info, static_cast<std::int32_t>(number))) {
        out = static_cast<std::int32_t>(number);
        return;
      }
      return FailNotEnumerator(result, text, info, name);
    }
    default:
      result.Fail(
          FormatMessage("Couldn't assign value to '%1' of enum type because the input is of an invalid type %2.", name,
                        BindingValueKindName(source.Kind())));
  }
}

void AssignStruct(BindingResult& result, void* out, const BindingValue& source, std::string_view name,
                  const BindingTypeInfo* info, const BindingRegistry& registry) {
  if (!Present(result, source, name)) return;
  if (info == nullptr) {
    result.Fail(FormatMessage(
        "Couldn't assign value to '%1' because the input is an unregistered structure or not a structure at all.",
        name));
    return;
  }
  if (!source.IsStructure()) {
    result.Fail(
        FormatMessage("Couldn't assign value to '%1' of type %2 because the input not a structure.", name, info->name));
    return;
  }
  unsigned char* base = static_cast<unsigned char*>(out);
  for (const auto& field : info->fields) {
    if (!result.Ok()) return;
    const BindingValue& member = source.Find(field->name);
    if (!member.IsEmpty()) {
      field->converter->Assign(result, base + field->offset, member, field->name, field->type.info, registry);
    } else if ((field->flags & kBindingFieldRequired) != 0) {
      result.Fail(FormatMessage(
          "Couldn't assign value to '%1' of type %2 because the input structure doesn't have required field '%3'.",
          name, info->name, field->name));
    }
  }
}

bool IsCollectionFor(BindingResult& result, const BindingValue& source, std::string_view name) {
  if (!result.Ok()) return false;
  if (source.IsCollection()) return true;
  result.Fail(FormatMessage("Couldn't assign value to '%1' of type vector because the input not a collection.", name));
  return false;
}

bool IsStructureForMap(BindingResult& result, const BindingValue& source, std::string_view name) {
  if (!result.Ok()) return false;
  if (source.IsStructure()) return true;
  result.Fail(FormatMessage("Couldn't assign value to '%1' of type map because the input not a structure.", name));
  return false;
}

bool StartCollection(BindingResult& result, BindingValue& out, std::size_t n) {
  if (!result.Ok()) return false;
  out.MakeCollection();
  if (out.Reserve(n)) return true;
  result.Fail(FormatMessage("Couldn't convert native value because its %1 elements exceed the collection limit.",
                            Decimal(std::uint64_t{n})));
  return false;
}

bool IsZeroOrEmpty(const BindingValue& value) {
  switch (value.Kind()) {
    case BindingValueKind::kBool: return !value.GetBool();
    case BindingValueKind::kSigned:
    case BindingValueKind::kUnsigned: return value.AsUnsigned() == 0;
    case BindingValueKind::kFloat: return value.GetDouble() == 0.0;
    case BindingValueKind::kEnum: return value.GetEnum().value == 0;
    default: return value.Size() == 0;
  }
}

void StructToValue(BindingResult& result, BindingValue& out, const void* native, const BindingTypeInfo* info,
                   const BindingRegistry& registry) {
  if (!result.Ok()) return;
  if (info == nullptr) {
    result.Fail("Couldn't convert native value because it's an unregistered structure.");
    return;
  }
  out.MakeStructure();
  const unsigned char* base = static_cast<const unsigned char*>(native);
  for (const auto& field : info->fields) {
    const void* member = base + field->offset;
    if ((field->flags & kBindingFieldOmitEmpty) == 0) {
      field->converter->ToValue(result, out.Member(field->name), member, field->type.info, registry);
      if (!result.Ok()) return;
      continue;
    }
    BindingValue candidate;
    field->converter->ToValue(result, candidate, member, field->type.info, registry);
    if (!result.Ok()) return;
    if (!IsZeroOrEmpty(candidate)) out.Member(field->name) = std::move(candidate);
  }
}

}  // namespace kel::conversion
