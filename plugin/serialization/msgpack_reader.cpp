#include "serialization/msgpack_reader.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "binding/string_pool.h"
#include "diagnostics/positional_format.h"
#include "serialization/input_limits.h"

namespace kel {

namespace {

// An array or map whose header has been read and whose items are still
// arriving. Maps count entries; the key of an entry and its value are read
// in one step.
struct OpenContainer {
  BindingValue* value;
  uint32_t count;
  uint32_t seen;
  bool is_map;
  size_t header_position;
};

class MsgPackDecoder {
 public:
  MsgPackDecoder(const uint8_t* bytes, size_t length, BindingResult& result)
      : in_(bytes), length_(length), result_(result) {
    open_.reserve(16);
  }

  void Run();
  size_t position() const { return position_; }

 private:
  bool ok() const { return result_.Ok(); }
  [[gnu::cold]] void Fail(const std::string& message) { result_.Fail(message); }
  [[gnu::cold]] void FailInvalid() { Fail(FormatMessage("Invalid MessagePack data at position %1.", position_)); }
  [[gnu::cold, gnu::noinline]] void FailTruncatedField(unsigned width);
  [[gnu::cold, gnu::noinline]] void FailTruncatedPayload(uint32_t size, bool is_string);

  size_t Remaining() const { return length_ - position_; }
  bool ReadField(unsigned width, uint64_t& out);
  bool ReadLength(uint8_t first, uint32_t& out);
  bool ReadPayload(uint32_t size, bool is_string, const char*& out);
  bool ReadKey(const char*& text, size_t& size);
  void ReadValue(BindingValue& target);
  void Open(BindingValue& target, uint32_t count, bool is_map, size_t header_position);
  void FailTruncatedContainer(const OpenContainer& container);

  const uint8_t* in_;
  size_t length_;
  size_t position_ = 0;
  BindingResult& result_;
  std::vector<OpenContainer> open_;
};

void MsgPackDecoder::FailTruncatedField(unsigned width) {
  Fail(FormatMessage("Invalid MessagePack data. %1-bit integer value at position %2 is truncated.", width * 8,
                     position_));
}

void MsgPackDecoder::FailTruncatedPayload(uint32_t size, bool is_string) {
  Fail(FormatMessage(is_string ? "Invalid MessagePack data. String of size %1 at position %2 is truncated."
                               : "Invalid MessagePack data. Raw bytes of size %1 at position %2 are truncated.",
                     size, position_));
}

// The length of a key up to its first NUL, a word at a time: keys are short,
// and a loop over bytes or a call costs more than the two loads.
size_t LengthBeforeNul(const char* text, size_t length) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    // The lowest flagged byte of (w - ones) & ~w & highs is w's first zero.
    auto firstZero = [](uint64_t w) { return (w - kOnes) & ~w & kHighs; };
    if (length < 8) {
      // Bytes past the length are set, so only the key's own can be zero.
      const uint64_t w = LoadPadded(text, length) | (length == 0 ? ~uint64_t{0} : ~uint64_t{0} << (8 * length));
      const uint64_t zero = firstZero(w);
      return zero == 0 ? length : static_cast<size_t>(std::countr_zero(zero) / 8);
    }
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
      uint64_t w;
      std::memcpy(&w, text + i, 8);
      const uint64_t zero = firstZero(w);
      if (zero != 0) return i + static_cast<size_t>(std::countr_zero(zero) / 8);
    }
    if (i == length) return length;
    // The last eight bytes overlap ones known not to be zero.
    uint64_t w;
    std::memcpy(&w, text + length - 8, 8);
    const uint64_t zero = firstZero(w);
    return zero == 0 ? length : length - 8 + static_cast<size_t>(std::countr_zero(zero) / 8);
  } else {
    const void* nul = std::memchr(text, '\0', length);
    return nul == nullptr ? length : static_cast<size_t>(static_cast<const char*>(nul) - text);
  }
}

uint64_t LoadBigEndian(const uint8_t* p, unsigned width) {
  uint64_t v = 0;
  for (unsigned i = 0; i < width; ++i) v = (v << 8) | p[i];
  return v;
}

// Reads a big-endian field of 1, 2, 4 or 8 bytes at the position.
bool MsgPackDecoder::ReadField(unsigned width, uint64_t& out) {
  if (Remaining() < width) [[unlikely]] {
    FailTruncatedField(width);
    return false;
  }
  out = LoadBigEndian(in_ + position_, width);
  position_ += width;
  return true;
}

// The length of a str or bin, or the count of an array or map, for a first
// byte that carries it in the following bytes.
bool MsgPackDecoder::ReadLength(uint8_t first, uint32_t& out) {
  unsigned width = 0;
  switch (first) {
    case 0xC4:
    case 0xD9: width = 1; break;
    case 0xC5:
    case 0xDA:
    case 0xDC:
    case 0xDE: width = 2; break;
    default: width = 4; break;  // 0xC6, 0xDB, 0xDD, 0xDF
  }
  uint64_t v = 0;
  if (!ReadField(width, v)) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

bool MsgPackDecoder::ReadPayload(uint32_t size, bool is_string, const char*& out) {
  if (Remaining() < size) [[unlikely]] {
    FailTruncatedPayload(size, is_string);
    return false;
  }
  out = reinterpret_cast<const char*>(in_ + position_);
  position_ += size;
  return true;
}

// A map key: any string form. Keys are texts, so one is cut at a NUL byte.
bool MsgPackDecoder::ReadKey(const char*& text, size_t& size) {
  const uint8_t first = in_[position_++];
  uint32_t length = 0;
  if (first >= 0xA0 && first <= 0xBF) {
    length = first & 0x1F;
  } else if (first >= 0xD9 && first <= 0xDB) {
    if (!ReadLength(first, length)) return false;
  } else {
    Fail(FormatMessage("Invalid MessagePack data at position %1. Map keys must be strings.", position_));
    return false;
  }
  if (!ReadPayload(length, true, text)) return false;
  size = LengthBeforeNul(text, length);
  return true;
}

void MsgPackDecoder::Open(BindingValue& target, uint32_t count, bool is_map, size_t header_position) {
  if (open_.size() >= kMaxNestingDepth) {
    Fail(FormatMessage("Invalid MessagePack data at position %1. %2", position_, kNestingLimitText));
    return;
  }
  if (!is_map && count > kMaxCollectionSize) {
    Fail(FormatMessage("Invalid MessagePack data at position %1. %2", position_, kCollectionLimitText));
    return;
  }
  // A repeated key may open a container over one of the same kind; its
  // items then merge into the existing value.
  if (is_map) {
    target.MakeStructure();
  } else {
    target.MakeCollection();
    // The header says how many elements follow, each at least one byte: one
    // allocation instead of a doubling per growth. Without memory for it the
    // elements grow one by one and fail there.
    (void)target.Reserve(count < Remaining() ? count : Remaining());
  }
  open_.push_back({&target, count, 0, is_map, header_position});
}

// Reads one value at the position into target: a scalar completely, a
// container only its header (its items follow through the open stack).
void MsgPackDecoder::ReadValue(BindingValue& target) {
  const size_t header_position = position_;
  const uint8_t first = in_[position_++];
  uint64_t v = 0;
  uint32_t length = 0;
  const char* payload = nullptr;
  if (first <= 0x7F) {
    target.SetSigned(first);
  } else if (first <= 0x8F) {
    Open(target, first & 0x0F, true, header_position);
  } else if (first <= 0x9F) {
    Open(target, first & 0x0F, false, header_position);
  } else if (first <= 0xBF) {
    if (ReadPayload(first & 0x1F, true, payload)) target.SetString(std::string_view(payload, first & 0x1F));
  } else if (first >= 0xE0) {
    target.SetSigned(static_cast<int8_t>(first));
  } else {
    switch (first) {
      case 0xC0: target.Clear(); break;
      case 0xC2: target.SetBool(false); break;
      case 0xC3: target.SetBool(true); break;
      case 0xC4:
      case 0xC5:
      case 0xC6:
        if (ReadLength(first, length) && ReadPayload(length, false, payload)) target.SetBlob(payload, length);
        break;
      case 0xCA:
        if (ReadField(4, v)) {
          float f;
          const uint32_t bits = static_cast<uint32_t>(v);
          std::memcpy(&f, &bits, sizeof f);
          target.SetDouble(f);
        }
        break;
      case 0xCB:
        if (ReadField(8, v)) {
          double d;
          std::memcpy(&d, &v, sizeof d);
          target.SetDouble(d);
        }
        break;
      case 0xCC:
      case 0xCD:
      case 0xCE:
      case 0xCF:
        if (ReadField(1u << (first - 0xCC), v)) target.SetUnsigned(v);
        break;
      case 0xD0:
        if (ReadField(1, v)) target.SetSigned(static_cast<int8_t>(v));
        break;
      case 0xD1:
        if (ReadField(2, v)) target.SetSigned(static_cast<int16_t>(v));
        break;
      case 0xD2:
        if (ReadField(4, v)) target.SetSigned(static_cast<int32_t>(v));
        break;
      case 0xD3:
        if (ReadField(8, v)) target.SetSigned(static_cast<int64_t>(v));
        break;
      case 0xD9:
      case 0xDA:
      case 0xDB:
        if (ReadLength(first, length) && ReadPayload(length, true, payload))
          target.SetString(std::string_view(payload, length));
        break;
      case 0xDC:
      case 0xDD:
        if (ReadLength(first, length)) Open(target, length, false, header_position);
        break;
      case 0xDE:
      case 0xDF:
        if (ReadLength(first, length)) Open(target, length, true, header_position);
        break;
      default:  // 0xC1 (never used), ext 8/16/32 and fixext: not supported
        FailInvalid();
        break;
    }
  }
}

void MsgPackDecoder::FailTruncatedContainer(const OpenContainer& container) {
  Fail(FormatMessage(container.is_map ? "Invalid MessagePack data. Map of %1 entries at position %2 is truncated."
                                      : "Invalid MessagePack data. Array of %1 elements at position %2 is truncated.",
                     container.count, container.header_position));
}

void MsgPackDecoder::Run() {
  if (length_ == 0) return;
  ReserveTextsFor(result_.Value(), length_);
  ReadValue(result_.Value());
  while (ok() && !open_.empty()) {
    OpenContainer& top = open_.back();
    if (top.seen == top.count) {
      open_.pop_back();
      continue;
    }
    // Data that ends inside an array or map is as truncated as a short
    // string: accepting the items read so far would hand a partial body to
    // the handler as if it were whole.
    if (position_ == length_) {
      FailTruncatedContainer(top);
      return;
    }
    BindingValue* target = nullptr;
    if (top.is_map) {
      const char* key = nullptr;
      size_t key_size = 0;
      if (!ReadKey(key, key_size)) return;
      if (position_ == length_) {
        FailTruncatedContainer(top);
        return;
      }
      target = &top.value->Member(std::string_view(key, key_size));
    } else {
      // Index access rather than append: a repeated key's array writes over
      // the elements of the one before it.
      target = &top.value->Index(top.seen);
    }
    ++top.seen;
    ReadValue(*target);
  }
}

}  // namespace

BindingResult DecodeMsgPack(const void* bytes, size_t length, size_t* consumed) {
  BindingResult result;
  MsgPackDecoder decoder(static_cast<const uint8_t*>(bytes), length, result);
  decoder.Run();
  if (consumed) *consumed = decoder.position();
  return result;
}

bool LooksLikeMsgPack(const void* bytes, size_t length) {
  if (length == 0) return false;
  const uint8_t first = *static_cast<const uint8_t*>(bytes);
  return (first >= 0x80 && first <= 0x9F) || (first >= 0xDC && first <= 0xDF);
}

}  // namespace kel
