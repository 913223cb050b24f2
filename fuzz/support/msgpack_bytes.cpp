#include "support/msgpack_bytes.h"

#include <cstdint>
#include <cstring>

namespace kel::fuzz {
namespace {

void Put(std::string& out, uint8_t tag, uint64_t value, int bytes) {
  out.push_back(static_cast<char>(tag));
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// A length header: the fix form below `fix_limit`, then 8 (strings only),
// 16 and 32-bit forms.
void Header(std::string& out, uint64_t size, uint8_t fix, uint64_t fix_limit, int tag8, uint8_t tag16) {
  if (size < fix_limit) {
    out.push_back(static_cast<char>(fix | size));
  } else if (tag8 >= 0 && size <= 0xFF) {
    Put(out, static_cast<uint8_t>(tag8), size, 1);
  } else if (size <= 0xFFFF) {
    Put(out, tag16, size, 2);
  } else {
    Put(out, tag16 + 1, size, 4);
  }
}

void PutUnsigned(std::string& out, uint64_t u) {
  if (u < 0x80) {
    out.push_back(static_cast<char>(u));
  } else if (u <= 0xFF) {
    Put(out, 0xCC, u, 1);
  } else if (u <= 0xFFFF) {
    Put(out, 0xCD, u, 2);
  } else if (u <= 0xFFFFFFFF) {
    Put(out, 0xCE, u, 4);
  } else {
    Put(out, 0xCF, u, 8);
  }
}

void PutSigned(std::string& out, int64_t i) {
  if (i >= 0) {
    PutUnsigned(out, static_cast<uint64_t>(i));
  } else if (i >= -32) {
    out.push_back(static_cast<char>(i));
  } else if (i >= INT8_MIN) {
    Put(out, 0xD0, static_cast<uint8_t>(i), 1);
  } else if (i >= INT16_MIN) {
    Put(out, 0xD1, static_cast<uint16_t>(i), 2);
  } else if (i >= INT32_MIN) {
    Put(out, 0xD2, static_cast<uint32_t>(i), 4);
  } else {
    Put(out, 0xD3, static_cast<uint64_t>(i), 8);
  }
}

void Write(std::string& out, const BindingValue& value) {
  switch (value.Kind()) {
    case BindingValueKind::kEmpty: out.push_back(static_cast<char>(0xC0)); break;
    case BindingValueKind::kBool: out.push_back(static_cast<char>(value.GetBool() ? 0xC3 : 0xC2)); break;
    case BindingValueKind::kSigned:
    case BindingValueKind::kEnum: PutSigned(out, value.AsSigned()); break;
    case BindingValueKind::kUnsigned: PutUnsigned(out, value.GetUnsigned()); break;
    case BindingValueKind::kFloat: {
      const double number = value.GetDouble();
      uint64_t bits = 0;
      std::memcpy(&bits, &number, sizeof(bits));
      Put(out, 0xCB, bits, 8);
      break;
    }
    case BindingValueKind::kString:
    case BindingValueKind::kBlob: {
      const std::string text = value.AsText();
      Header(out, text.size(), 0xA0, 32, 0xD9, 0xDA);
      out += text;
      break;
    }
    case BindingValueKind::kCollection:
      Header(out, value.Size(), 0x90, 16, -1, 0xDC);
      for (const BindingValue& element : value.Elements()) Write(out, element);
      break;
    case BindingValueKind::kStructure:
      Header(out, value.Size(), 0x80, 16, -1, 0xDE);
      for (const auto [key, member] : value.Members()) {
        Header(out, key.size(), 0xA0, 32, 0xD9, 0xDA);
        out += key;
        Write(out, member);
      }
      break;
  }
}

}  // namespace

std::string WriteMsgPack(const BindingValue& value) {
  std::string out;
  Write(out, value);
  return out;
}

}  // namespace kel::fuzz
