#include "support/byte_source.h"

#include <algorithm>

namespace kel::fuzz {

uint32_t ByteSource::U32() {
  uint32_t value = 0;
  for (int shift = 0; shift < 32; shift += 8) value |= static_cast<uint32_t>(U8()) << shift;
  return value;
}

uint64_t ByteSource::U64() {
  const uint64_t low = U32();
  return low | static_cast<uint64_t>(U32()) << 32;
}

uint64_t ByteSource::Count(uint64_t limit) {
  uint64_t value = 0;
  for (int shift = 0; shift < 64 && !Empty(); shift += 7) {
    const uint8_t byte = U8();
    value |= static_cast<uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) break;
  }
  return std::min(value, limit);
}

std::string ByteSource::Take(uint64_t length) {
  const size_t taken = static_cast<size_t>(std::min<uint64_t>(length, Remaining()));
  std::string bytes(reinterpret_cast<const char*>(data_ + position_), taken);
  position_ += taken;
  return bytes;
}

std::string ByteSource::Bytes() { return Take(Count(Remaining())); }

std::optional<std::string> ByteSource::NullableBytes() {
  const uint64_t stored = Count(Remaining() + 1);
  if (stored == 0) return std::nullopt;
  return Take(stored - 1);
}

void ByteSink::U32(uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) U8(static_cast<uint8_t>(value >> shift));
}

void ByteSink::U64(uint64_t value) {
  U32(static_cast<uint32_t>(value));
  U32(static_cast<uint32_t>(value >> 32));
}

void ByteSink::Count(uint64_t value) {
  do {
    const uint8_t low = value & 0x7F;
    value >>= 7;
    U8(value != 0 ? (low | 0x80) : low);
  } while (value != 0);
}

void ByteSink::Bytes(const std::string& text) {
  Count(text.size());
  bytes_ += text;
}

void ByteSink::NullableBytes(const std::optional<std::string>& text) {
  if (!text) {
    Count(0);
    return;
  }
  Count(text->size() + 1);
  bytes_ += *text;
}

}  // namespace kel::fuzz
