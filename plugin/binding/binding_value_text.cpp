// The lenient readings of a binding value: numbers and text from whatever
// kind it holds, never failing.

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "binding/binding_value.h"
#include "binding/binding_value_nodes.h"

namespace kel {
namespace {

constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;

// Truncates toward zero, saturating at the 64-bit bounds; NaN reads as 0.
std::int64_t TruncateToSigned(double value) noexcept {
  if (std::isnan(value)) return 0;
  if (value >= kTwoTo63) return INT64_MAX;
  if (value < -kTwoTo63) return INT64_MIN;
  return static_cast<std::int64_t>(value);
}

std::string Base64(const std::uint8_t* data, std::size_t size) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((size + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    std::uint32_t group = (std::uint32_t{data[i]} << 16) | (std::uint32_t{data[i + 1]} << 8) | data[i + 2];
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += kAlphabet[(group >> 6) & 63];
    text += kAlphabet[group & 63];
  }
  if (i < size) {
    std::uint32_t group = std::uint32_t{data[i]} << 16;
    if (i + 1 < size) group |= std::uint32_t{data[i + 1]} << 8;
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += i + 1 < size ? kAlphabet[(group >> 6) & 63] : '=';
    text += '=';
  }
  return text;
}

}  // namespace

std::int64_t BindingValue::AsSigned(std::int64_t fallback) const noexcept {
  switch (kind_) {
    case BindingValueKind::kBool: return payload_.boolean ? 1 : 0;
    case BindingValueKind::kSigned:
    case BindingValueKind::kUnsigned: return payload_.signedValue;
    case BindingValueKind::kFloat: return TruncateToSigned(payload_.floatValue);
    case BindingValueKind::kString:
      return std::strtoll(BindingValueTreeOps::NodeAs<InternedString>(*this)->Text(), nullptr, 0);
    case BindingValueKind::kEnum: return BindingValueTreeOps::NodeAs<EnumNode>(*this)->value;
    default: return fallback;
  }
}

std::uint64_t BindingValue::AsUnsigned(std::uint64_t fallback) const noexcept {
  switch (kind_) {
    case BindingValueKind::kFloat: {
      double value = payload_.floatValue;
      if (value >= kTwoTo64) return UINT64_MAX;
      if (value >= kTwoTo63) return static_cast<std::uint64_t>(value);
      return static_cast<std::uint64_t>(TruncateToSigned(value));
    }
    case BindingValueKind::kString:
      return std::strtoull(BindingValueTreeOps::NodeAs<InternedString>(*this)->Text(), nullptr, 0);
    case BindingValueKind::kUnsigned: return payload_.unsignedValue;
    default: return static_cast<std::uint64_t>(AsSigned(static_cast<std::int64_t>(fallback)));
  }
}

std::string BindingValue::AsText() const {
  char buffer[512];
  switch (kind_) {
    case BindingValueKind::kBool: return payload_.boolean ? "true" : "false";
    case BindingValueKind::kSigned:
      std::snprintf(buffer, sizeof buffer, "%" PRId64, payload_.signedValue);
      return buffer;
    case BindingValueKind::kUnsigned:
      std::snprintf(buffer, sizeof buffer, "%" PRIu64, payload_.unsignedValue);
      return buffer;
    case BindingValueKind::kFloat:
      // The largest doubles print with over 300 digits before the point.
      std::snprintf(buffer, sizeof buffer, "%f", payload_.floatValue);
      return buffer;
    case BindingValueKind::kString: return std::string(GetString());
    case BindingValueKind::kBlob: {
      auto blob = GetBlob();
      return Base64(blob.data(), blob.size());
    }
    case BindingValueKind::kEnum: return std::to_string(BindingValueTreeOps::NodeAs<EnumNode>(*this)->value);
    default: return std::string();
  }
}

}  // namespace kel
