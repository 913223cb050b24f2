// One value, two formats: a tree built from the input, written as JSON by
// the plug-in and as MessagePack by the fuzzer's own writer, must read back
// from both as the same tree (JSON's single number model aside: a signed
// and an unsigned of equal value are equal).
//
// Input: a node is a tag byte (kind = tag % 8: null, false/true, signed,
// unsigned, float, string, array, map) then its payload as in
// support/byte_source.h. Floats that JSON cannot hold (NaN, infinities)
// read as 0; texts and keys end at their first NUL, as the readers end
// them; the root is always an array or a map.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "serialization/input_limits.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"
#include "serialization/msgpack_reader.h"
#include "support/byte_source.h"
#include "support/msgpack_bytes.h"

namespace {

constexpr uint64_t kMaxElements = 1 << 12;

void Read(kel::fuzz::ByteSource& source, kel::BindingValue& value, unsigned depth) {
  const uint8_t tag = source.U8();
  switch (tag % 8) {
    case 0: value.Clear(); break;
    case 1: value.SetBool((tag & 0x80) != 0); break;
    case 2: value.SetSigned(static_cast<int64_t>(source.U64())); break;
    case 3: value.SetUnsigned(source.U64()); break;
    case 4: {
      const uint64_t bits = source.U64();
      double number = 0;
      std::memcpy(&number, &bits, sizeof(number));
      value.SetDouble(std::isfinite(number) ? number : 0.0);
      break;
    }
    case 5: value.SetString(source.Bytes().c_str()); break;  // texts end at a NUL, as the JSON reader ends them
    case 6: {
      value.MakeCollection();
      const uint64_t count = source.Count(kMaxElements);
      for (uint64_t i = 0; i < count && !source.Empty() && depth < kel::kMaxNestingDepth; ++i) {
        Read(source, value.Append(), depth + 1);
      }
      break;
    }
    default: {
      value.MakeStructure();
      const uint64_t count = source.Count(kMaxElements);
      for (uint64_t i = 0; i < count && !source.Empty() && depth < kel::kMaxNestingDepth; ++i) {
        Read(source, value.Member(source.Bytes().c_str()), depth + 1);  // every reader ends a key at a NUL
      }
      break;
    }
  }
}

bool IsInteger(const kel::BindingValue& v) {
  return v.Kind() == kel::BindingValueKind::kSigned || v.Kind() == kel::BindingValueKind::kUnsigned;
}

bool Equal(const kel::BindingValue& a, const kel::BindingValue& b) {
  if (IsInteger(a) && IsInteger(b)) {
    const bool a_negative = a.Kind() == kel::BindingValueKind::kSigned && a.GetSigned() < 0;
    const bool b_negative = b.Kind() == kel::BindingValueKind::kSigned && b.GetSigned() < 0;
    return a_negative == b_negative && a.AsUnsigned() == b.AsUnsigned() && a.AsSigned() == b.AsSigned();
  }
  if (a.Kind() != b.Kind()) return false;
  switch (a.Kind()) {
    case kel::BindingValueKind::kBool: return a.GetBool() == b.GetBool();
    case kel::BindingValueKind::kFloat: return a.GetDouble() == b.GetDouble();
    case kel::BindingValueKind::kString: return a.GetString() == b.GetString();
    case kel::BindingValueKind::kCollection:
      if (a.Size() != b.Size()) return false;
      for (size_t i = 0; i < a.Size(); ++i) {
        if (!Equal(a.Get(i), b.Get(i))) return false;
      }
      return true;
    case kel::BindingValueKind::kStructure: {
      if (a.Size() != b.Size()) return false;
      for (const auto [key, member] : a.Members()) {
        const kel::BindingValue& other = b.Find(key);
        if (&other == &kel::BindingValue::EmptyValue() || !Equal(member, other)) return false;
      }
      return true;
    }
    default: return true;
  }
}

void Expect(bool holds, const char* what, const std::string& json, const kel::BindingValue* read = nullptr) {
  if (holds) return;
  std::fprintf(stderr, "differential: %s\nwritten: %s\n", what, json.c_str());
  if (read != nullptr) std::fprintf(stderr, "read:    %s\n", kel::WriteJson(*read).c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kel::fuzz::ByteSource source(data, size);
  kel::BindingValue value;
  Read(source, value, 1);
  if (!value.IsCollection() && !value.IsStructure()) value.MakeCollection();

  const std::string json = kel::WriteJson(value);
  const kel::BindingResult from_json = kel::ParseJson(json.c_str());
  Expect(from_json.Ok(), "the plug-in's JSON does not read back", json);
  Expect(Equal(value, from_json.Value()), "the plug-in's JSON reads back as another tree", json, &from_json.Value());

  const std::string msgpack = kel::fuzz::WriteMsgPack(value);
  size_t consumed = 0;
  const kel::BindingResult from_msgpack = kel::DecodeMsgPack(msgpack.data(), msgpack.size(), &consumed);
  Expect(from_msgpack.Ok(), "the MessagePack form does not read back", json);
  Expect(consumed == msgpack.size(), "the MessagePack reader stops early", json);
  Expect(Equal(from_json.Value(), from_msgpack.Value()), "JSON and MessagePack read back as different trees", json,
         &from_msgpack.Value());
  return 0;
}
