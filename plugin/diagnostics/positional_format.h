// Message texts with numbered placeholders: "Index %1 is out of range",
// "%2$08x", "%%". Every numbered message of the plug-in is built here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kel {

// One argument of a positional message. Constructed implicitly from the
// value, so callers just pass their values to FormatMessage. Texts are
// referenced, not copied: an argument must not outlive the value it views.
class FormatArg {
 public:
  enum class Kind : uint8_t { kBool, kChar, kSigned, kUnsigned, kDouble, kText, kPointer };

  FormatArg(bool value) : kind_(Kind::kBool), unsigned_(value ? 1 : 0) {}
  FormatArg(char value) : kind_(Kind::kChar), signed_(value) {}
  FormatArg(signed char value) : kind_(Kind::kSigned), signed_(value) {}
  FormatArg(short value) : kind_(Kind::kSigned), signed_(value) {}
  FormatArg(int value) : kind_(Kind::kSigned), signed_(value) {}
  FormatArg(long value) : kind_(Kind::kSigned), signed_(value) {}
  FormatArg(long long value) : kind_(Kind::kSigned), signed_(value) {}
  FormatArg(unsigned char value) : kind_(Kind::kUnsigned), unsigned_(value) {}
  FormatArg(unsigned short value) : kind_(Kind::kUnsigned), unsigned_(value) {}
  FormatArg(unsigned int value) : kind_(Kind::kUnsigned), unsigned_(value) {}
  FormatArg(unsigned long value) : kind_(Kind::kUnsigned), unsigned_(value) {}
  FormatArg(unsigned long long value) : kind_(Kind::kUnsigned), unsigned_(value) {}
  FormatArg(double value) : kind_(Kind::kDouble), double_(value) {}
  FormatArg(const char* value) : kind_(Kind::kText), text_(value ? value : "(null)") {}
  FormatArg(std::string_view value) : kind_(Kind::kText), text_(value) {}
  FormatArg(const std::string& value) : kind_(Kind::kText), text_(value) {}
  FormatArg(const void* value) : kind_(Kind::kPointer), pointer_(value) {}

  Kind kind() const { return kind_; }
  bool IsInteger() const;
  // The value as a signed or unsigned 64-bit integer (booleans, characters
  // and pointers included); doubles and texts give 0.
  int64_t AsSigned() const;
  uint64_t AsUnsigned() const;
  double AsDouble() const;
  std::string_view text() const { return text_; }
  const void* pointer() const { return pointer_; }

  // The argument's default form, used by a bare "%N".
  void AppendDefaultForm(std::string& out) const;

 private:
  Kind kind_;
  union {
    int64_t signed_;
    uint64_t unsigned_;
    double double_;
    const void* pointer_;
  };
  std::string_view text_;
};

// Longest text a message may have, without its terminating NUL.
inline constexpr size_t kMaxMessageLength = 4095;
// Arguments past this count are ignored.
inline constexpr size_t kMaxFormatArgs = 64;
// Longest conversion specification, "%" to conversion letter inclusive.
inline constexpr size_t kMaxConversionLength = 60;

// Placeholders:
//   "%%"        a percent sign;
//   "%N"        argument N (1-based) in its default form;
//   "%N$spec"   argument N with a printf conversion (flags "-+ #0", width,
//               precision, length modifier, conversion letter); a width or
//               precision may be digits, "*M$" (argument M) or "*" (the next
//               argument in order);
//   "%spec"     the next argument in order with a printf conversion.
// "The next argument in order" is a running counter that starts at 1 and is
// advanced only by "%spec" and by a bare "*". A placeholder that names a
// missing argument, is malformed, longer than 60 characters or asks for "%n"
// is copied to the output as it stands. The result is cut to 4095 bytes.
std::string FormatPositional(std::string_view format, std::span<const FormatArg> args);

template <class... A>
std::string FormatMessage(std::string_view format, const A&... args) {
  if constexpr (sizeof...(A) == 0) {
    return FormatPositional(format, {});
  } else {
    const FormatArg packed[] = {FormatArg(args)...};
    return FormatPositional(format, packed);
  }
}

}  // namespace kel
