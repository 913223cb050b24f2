// Reads a fuzz input as a sequence of small fields, and writes the same
// fields (for the seed corpus). Past the end every field reads as zero or
// empty, so any byte string is a valid input.
//
// Lengths and counts are LEB128 varints; a nullable text stores its length
// plus one, 0 meaning a null pointer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kel::fuzz {

class ByteSource {
 public:
  ByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return position_ >= size_; }
  size_t Remaining() const { return size_ - position_; }
  uint8_t U8() { return Empty() ? 0 : data_[position_++]; }
  uint32_t U32();
  uint64_t U64();
  // A varint, capped at `limit`.
  uint64_t Count(uint64_t limit);
  std::string Bytes();
  std::optional<std::string> NullableBytes();

 private:
  std::string Take(uint64_t length);

  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

class ByteSink {
 public:
  void U8(uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
  void U32(uint32_t value);
  void U64(uint64_t value);
  void Count(uint64_t value);
  void Bytes(const std::string& text);
  void NullableBytes(const std::optional<std::string>& text);
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace kel::fuzz
