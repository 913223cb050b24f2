#include "diagnostics/positional_format.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <optional>

namespace kel {

bool FormatArg::IsInteger() const {
  return kind_ == Kind::kBool || kind_ == Kind::kChar || kind_ == Kind::kSigned || kind_ == Kind::kUnsigned;
}

int64_t FormatArg::AsSigned() const {
  switch (kind_) {
    case Kind::kChar:
    case Kind::kSigned: return signed_;
    case Kind::kBool:
    case Kind::kUnsigned: return static_cast<int64_t>(unsigned_);
    case Kind::kPointer: return static_cast<int64_t>(reinterpret_cast<uintptr_t>(pointer_));
    case Kind::kDouble:
    case Kind::kText: return 0;
  }
  return 0;
}

uint64_t FormatArg::AsUnsigned() const { return static_cast<uint64_t>(AsSigned()); }

double FormatArg::AsDouble() const {
  switch (kind_) {
    case Kind::kDouble: return double_;
    case Kind::kChar:
    case Kind::kSigned: return static_cast<double>(signed_);
    case Kind::kBool:
    case Kind::kUnsigned: return static_cast<double>(unsigned_);
    case Kind::kPointer:
    case Kind::kText: return 0.0;
  }
  return 0.0;
}

void FormatArg::AppendDefaultForm(std::string& out) const {
  char buffer[64];
  switch (kind_) {
    case Kind::kBool: out += unsigned_ ? "true" : "false"; return;
    case Kind::kChar: out += static_cast<char>(signed_); return;
    case Kind::kText: out += text_; return;
    case Kind::kPointer: std::snprintf(buffer, sizeof buffer, "%p", pointer_); break;
    case Kind::kSigned: std::snprintf(buffer, sizeof buffer, "%" PRId64, signed_); break;
    case Kind::kUnsigned: std::snprintf(buffer, sizeof buffer, "%" PRIu64, unsigned_); break;
    case Kind::kDouble: {
      // Shortest text that reads back as the same double.
      auto result = std::to_chars(buffer, buffer + sizeof buffer - 1, double_);
      *result.ptr = '\0';
      break;
    }
  }
  out += buffer;
}

namespace {

// Widths and precisions are cut to the longest possible message so that a
// hostile "%1$999999999d" cannot make the C library pad for a long time.
constexpr long kMaxFieldWidth = static_cast<long>(kMaxMessageLength);

// Reads a 1-based argument number (first digit 1-9). Returns nullopt when
// there is none; leaves `pos` after the digits.
std::optional<size_t> ReadArgumentNumber(std::string_view format, size_t& pos) {
  if (pos >= format.size() || format[pos] < '1' || format[pos] > '9') return std::nullopt;
  size_t number = 0;
  while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
    number = std::min<size_t>(number * 10 + static_cast<size_t>(format[pos] - '0'), 1000000);
    ++pos;
  }
  return number;
}

class Formatter {
 public:
  Formatter(std::string_view format, std::span<const FormatArg> args)
      : format_(format), args_(args.first(std::min(args.size(), kMaxFormatArgs))) {}

  std::string Run() {
    size_t pos = 0;
    while (pos < format_.size() && out_.size() < kMaxMessageLength) {
      size_t percent = format_.find('%', pos);
      if (percent == std::string_view::npos) {
        out_ += format_.substr(pos);
        break;
      }
      out_ += format_.substr(pos, percent - pos);
      pos = percent;
      size_t end = pos;
      if (!Placeholder(end)) {
        // Not a placeholder this formatter understands: keep its text.
        end = std::max(end, pos + 1);
        out_ += format_.substr(pos, end - pos);
      }
      pos = end;
    }
    if (out_.size() > kMaxMessageLength) out_.resize(kMaxMessageLength);
    return std::move(out_);
  }

 private:
  const FormatArg* Arg(size_t number) const {
    return number >= 1 && number <= args_.size() ? &args_[number - 1] : nullptr;
  }

  const FormatArg* NextArg() { return Arg(next_++); }

  // Handles the placeholder at `pos` ('%'). On success appends its text and
  // sets `pos` past it; on failure sets `pos` past what was examined.
  bool Placeholder(size_t& pos) {
    const size_t start = pos++;
    if (pos < format_.size() && format_[pos] == '%') {
      out_ += '%';
      ++pos;
      return true;
    }
    const FormatArg* arg = nullptr;
    if (auto number = ReadArgumentNumber(format_, pos)) {
      if (pos >= format_.size() || format_[pos] != '$') {
        arg = Arg(*number);
        if (!arg) return false;
        arg->AppendDefaultForm(out_);
        return true;
      }
      ++pos;
      arg = Arg(*number);
      if (!arg) return false;
    }
    return Conversion(start, pos, arg);
  }

  // Reads a width or precision: digits, "*N$" or "*", cut to the longest
  // message. Leaves `value` empty when none is given (or, for a precision,
  // when its argument is negative, which printf treats as none).
  bool Field(size_t& pos, std::optional<long>& value, bool is_precision) {
    if (pos < format_.size() && format_[pos] == '*') {
      ++pos;
      const FormatArg* source = nullptr;
      const size_t before = pos;
      if (auto number = ReadArgumentNumber(format_, pos); number && pos < format_.size() && format_[pos] == '$') {
        ++pos;
        source = Arg(*number);
      } else {
        pos = before;
        source = NextArg();
      }
      if (!source || !source->IsInteger()) return false;
      const int64_t raw = source->AsSigned();
      if (raw < 0 && is_precision) return true;
      value = static_cast<long>(std::clamp<int64_t>(raw, -kMaxFieldWidth, kMaxFieldWidth));
      return true;
    }
    bool digits = false;
    long number = 0;
    while (pos < format_.size() && format_[pos] >= '0' && format_[pos] <= '9') {
      number = std::min(number * 10 + (format_[pos] - '0'), kMaxFieldWidth);
      digits = true;
      ++pos;
    }
    if (digits || is_precision) value = number;  // "." alone is precision 0
    return true;
  }

  struct Spec {
    std::string flags = "%";
    std::optional<long> width;
    std::optional<long> precision;
    std::string_view modifier;
    char letter = 0;
  };

  bool Conversion(size_t start, size_t& pos, const FormatArg* arg) {
    Spec spec;
    while (pos < format_.size() && format_[pos] != '\0' && std::strchr("-+ #0", format_[pos])) {
      spec.flags += format_[pos++];
    }
    if (!Field(pos, spec.width, false)) return false;
    if (pos < format_.size() && format_[pos] == '.') {
      ++pos;
      if (!Field(pos, spec.precision, true)) return false;
    }
    // The length modifier only says what a C caller would have passed; the
    // argument carries its own type, so the modifier only narrows it.
    static constexpr std::string_view kModifiers[] = {"hh", "h", "ll", "l", "L", "j", "t", "z"};
    for (std::string_view candidate : kModifiers) {
      if (format_.substr(pos, candidate.size()) == candidate) {
        spec.modifier = candidate;
        pos += candidate.size();
        break;
      }
    }
    if (pos >= format_.size()) return false;
    spec.letter = format_[pos++];
    if (pos - start > kMaxConversionLength) return false;
    if (spec.letter == '\0' || !std::strchr("diouxXeEfFgGaAcsp", spec.letter)) return false;
    if (!arg) arg = NextArg();
    if (!arg) return false;
    Append(spec, *arg);
    return true;
  }

  void Append(const Spec& spec, const FormatArg& arg) {
    const char letter = spec.letter;
    // Flags other than "-" mean nothing (or something undefined) to "%c",
    // "%p" and "%s", so those get only alignment and width.
    std::string aligned = spec.flags.find('-') != std::string::npos ? "%-" : "%";
    std::string with_precision = spec.flags;
    if (spec.width) {
      aligned += std::to_string(*spec.width);
      with_precision += std::to_string(*spec.width);
    }
    if (spec.precision) with_precision += "." + std::to_string(*spec.precision);
    char buffer[kMaxMessageLength + 1];
    int written = 0;
    if (std::strchr("diouxX", letter) && arg.IsInteger()) {
      const std::string c_spec = with_precision + "j" + letter;
      if (letter == 'd' || letter == 'i') {
        written = std::snprintf(buffer, sizeof buffer, c_spec.c_str(),
                                static_cast<intmax_t>(Narrow<int64_t>(arg.AsSigned(), spec.modifier)));
      } else {
        written = std::snprintf(buffer, sizeof buffer, c_spec.c_str(),
                                static_cast<uintmax_t>(Narrow<uint64_t>(arg.AsUnsigned(), spec.modifier)));
      }
    } else if (std::strchr("eEfFgGaA", letter) && (arg.IsInteger() || arg.kind() == FormatArg::Kind::kDouble)) {
      const std::string c_spec = with_precision + letter;
      written = std::snprintf(buffer, sizeof buffer, c_spec.c_str(), arg.AsDouble());
    } else if (letter == 'c' && arg.IsInteger()) {
      const std::string c_spec = aligned + 'c';
      written = std::snprintf(buffer, sizeof buffer, c_spec.c_str(), static_cast<int>(arg.AsSigned()));
    } else if (letter == 'p' && arg.kind() == FormatArg::Kind::kPointer) {
      const std::string c_spec = aligned + 'p';
      written = std::snprintf(buffer, sizeof buffer, c_spec.c_str(), arg.pointer());
    } else {
      // "%s", or an argument that does not suit its conversion: the default
      // form, padded as "%s" pads it; a precision cuts only real "%s" texts.
      std::string text;
      arg.AppendDefaultForm(text);
      size_t length = std::min(text.size(), kMaxMessageLength);
      if (letter == 's' && spec.precision) length = std::min(length, static_cast<size_t>(*spec.precision));
      const std::string c_spec = aligned + ".*s";
      written = std::snprintf(buffer, sizeof buffer, c_spec.c_str(), static_cast<int>(length), text.data());
    }
    if (written > 0) out_.append(buffer, std::min(static_cast<size_t>(written), sizeof buffer - 1));
  }

  // Applies "hh"/"h" truncation the way printf would for a value passed
  // through its variadic promotion.
  template <class T>
  static T Narrow(T value, std::string_view modifier) {
    if (modifier == "hh") return std::is_signed_v<T> ? T(int8_t(value)) : T(uint8_t(value));
    if (modifier == "h") return std::is_signed_v<T> ? T(int16_t(value)) : T(uint16_t(value));
    return value;
  }

  std::string_view format_;
  std::span<const FormatArg> args_;
  size_t next_ = 1;
  std::string out_;
};

}  // namespace

std::string FormatPositional(std::string_view format, std::span<const FormatArg> args) {
  return Formatter(format, args).Run();
}

}  // namespace kel
