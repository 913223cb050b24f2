#include "support/host_value_bytes.h"

#include <cstring>

namespace kel::fuzz {
namespace {

constexpr uint8_t kNullPointer = 0x80;
constexpr uint8_t kRawKind = 0x7F;
// Elements per array or map: enough for realistic records, small enough
// that a few bytes cannot ask for gigabytes.
constexpr uint64_t kMaxElements = 1 << 16;

}  // namespace

const char* HostValueArena::Keep(std::string bytes) {
  texts_.push_back(std::move(bytes));
  return texts_.back().c_str();
}

HostValue HostValueArena::Read(ByteSource& source, unsigned depth) {
  HostValue value{};
  const uint8_t tag = source.U8();
  const uint8_t code = tag & 0x7F;
  value.kind = code == kRawKind ? source.U32() : code;
  const bool null_pointer = (tag & kNullPointer) != 0;
  switch (value.kind) {
    case kHostValueNull: break;
    case kHostValueBool: value.payload.boolean = source.U8(); break;
    case kHostValueSigned:
    case kHostValueUnsigned:
    case kHostValueFloat: value.payload.unsigned_value = source.U64(); break;
    case kHostValueBorrowedString:
    case kHostValueOwnedString:
    case kHostValueBorrowedBlob:
    case kHostValueOwnedBlob: {
      if (null_pointer) break;
      std::string bytes = source.Bytes();
      value.payload.reference.count = static_cast<uint32_t>(bytes.size());
      value.payload.reference.pointer = Keep(std::move(bytes));
      break;
    }
    case kHostValueArray:
    case kHostValueMap: {
      if (null_pointer) break;
      const uint64_t count = source.Count(kMaxElements);
      if (depth >= kMaxDepth) {
        value.kind = kHostValueNull;
        break;
      }
      if (value.kind == kHostValueArray) {
        std::vector<HostValue>& elements = arrays_.emplace_back();
        for (uint64_t i = 0; i < count && !source.Empty(); ++i) elements.push_back(Read(source, depth + 1));
        value.payload.reference = {elements.data(), static_cast<uint32_t>(elements.size())};
      } else {
        std::vector<HostValueMapEntry>& entries = maps_.emplace_back();
        for (uint64_t i = 0; i < count && !source.Empty(); ++i) {
          std::optional<std::string> key = source.NullableBytes();
          HostValueMapEntry entry{};
          entry.key = key ? Keep(std::move(*key)) : nullptr;
          entry.value = Read(source, depth + 1);
          entries.push_back(entry);
        }
        value.payload.reference = {entries.data(), static_cast<uint32_t>(entries.size())};
      }
      break;
    }
    default:  // out of range: the payload is whatever the core left there
      value.payload.unsigned_value = source.U64();
      break;
  }
  return value;
}

void WriteHostValue(ByteSink& sink, const BindingValue& value) {
  switch (value.Kind()) {
    case BindingValueKind::kEmpty: sink.U8(kHostValueNull); break;
    case BindingValueKind::kBool:
      sink.U8(kHostValueBool);
      sink.U8(value.GetBool() ? 1 : 0);
      break;
    case BindingValueKind::kSigned:
    case BindingValueKind::kEnum:
      sink.U8(kHostValueSigned);
      sink.U64(static_cast<uint64_t>(value.AsSigned()));
      break;
    case BindingValueKind::kUnsigned:
      sink.U8(kHostValueUnsigned);
      sink.U64(value.GetUnsigned());
      break;
    case BindingValueKind::kFloat: {
      const double number = value.GetDouble();
      uint64_t bits = 0;
      std::memcpy(&bits, &number, sizeof(bits));
      sink.U8(kHostValueFloat);
      sink.U64(bits);
      break;
    }
    case BindingValueKind::kString:
      sink.U8(kHostValueBorrowedString);
      sink.Bytes(std::string(value.GetString()));
      break;
    case BindingValueKind::kBlob: {
      const auto blob = value.GetBlob();
      sink.U8(kHostValueBorrowedBlob);
      sink.Bytes(std::string(blob.begin(), blob.end()));
      break;
    }
    case BindingValueKind::kCollection:
      sink.U8(kHostValueArray);
      sink.Count(value.Size());
      for (const BindingValue& element : value.Elements()) WriteHostValue(sink, element);
      break;
    case BindingValueKind::kStructure:
      sink.U8(kHostValueMap);
      sink.Count(value.Size());
      for (const auto [key, member] : value.Members()) {
        sink.NullableBytes(std::string(key));
        WriteHostValue(sink, member);
      }
      break;
  }
}

}  // namespace kel::fuzz
