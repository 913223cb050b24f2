#include "api/argument_path.h"

#include <cstdint>
#include <limits>
#include <optional>

#include "api/hex_digit.h"
#include "diagnostics/positional_format.h"

namespace kel {
namespace {

enum class IndexError { kNone, kFormat, kRange };

// Reads an unsigned index with base auto-detection; the whole segment must
// be the number.
IndexError ParseIndex(std::string_view segment, uint64_t& index) {
  unsigned base = 10;
  size_t pos = 0;
  if (segment.size() > 1 && segment[0] == '0' && (segment[1] == 'x' || segment[1] == 'X')) {
    base = 16;
    pos = 2;
  } else if (segment.size() > 1 && segment[0] == '0') {
    base = 8;
    pos = 1;
  }
  const size_t digits_start = pos;
  index = 0;
  bool overflow = false;
  for (; pos < segment.size(); ++pos) {
    const int digit = HexDigitValue(segment[pos]);
    if (digit < 0 || digit >= static_cast<int>(base)) break;
    if (index > (std::numeric_limits<uint64_t>::max() - digit) / base) overflow = true;
    index = index * base + static_cast<unsigned>(digit);
  }
  if (pos != segment.size() || (base == 16 && pos == digits_start)) return IndexError::kFormat;
  if (overflow || index > kMaxArgumentIndex) return IndexError::kRange;
  return IndexError::kNone;
}

}  // namespace

BindingValue* ResolveArgumentPath(BindingValue& slot, std::string_view rest, BindingResult& call) {
  BindingValue* target = &slot;
  while (true) {
    const size_t dot = rest.find('.');
    const std::string_view segment = rest.substr(0, dot);
    if (!segment.empty() && segment[0] >= '0' && segment[0] <= '9') {
      uint64_t index = 0;
      switch (ParseIndex(segment, index)) {
        case IndexError::kFormat:
          call.Fail(FormatMessage("Index %1 is in an incorrect format", segment));
          return nullptr;
        case IndexError::kRange: call.Fail(FormatMessage("Index %1 is out of range", segment)); return nullptr;
        case IndexError::kNone: break;
      }
      target = &target->Index(static_cast<size_t>(index));
    } else {
      target = &target->Member(segment);
    }
    if (dot == std::string_view::npos) return target;
    rest.remove_prefix(dot + 1);
  }
}

}  // namespace kel
