#pragma once
// The native side of HostValueWriter: one Write per kind of native type,
// parallel to NativeConversion's ToValue, each returning whether what it
// wrote is zero or empty by the omit-empty rule.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "binding/conversion_rules.h"
#include "binding/host_value_writer.h"
#include "binding/native_conversion.h"

namespace kel {

template <typename T>
struct NativeHostValue;

template <>
struct NativeHostValue<bool> {
  static bool Write(HostValueWriter&, HostValue& out, const bool& native, const BindingTypeInfo*) {
    out.payload.boolean = native ? 1 : 0;
    out.kind = kHostValueBool;
    return !native;
  }
};

template <BindingInteger T>
struct NativeHostValue<T> {
  static bool Write(HostValueWriter&, HostValue& out, const T& native, const BindingTypeInfo*) {
    if constexpr (std::is_signed_v<T>) {
      out.payload.signed_value = native;
      out.kind = kHostValueSigned;
    } else {
      out.payload.unsigned_value = native;
      out.kind = kHostValueUnsigned;
    }
    return native == 0;
  }
};

template <typename T>
requires std::is_floating_point_v<T> &&(sizeof(T) <= sizeof(double)) struct NativeHostValue<T> {
  static bool Write(HostValueWriter&, HostValue& out, const T& native, const BindingTypeInfo*) {
    out.payload.float_value = static_cast<double>(native);
    out.kind = kHostValueFloat;
    return out.payload.float_value == 0.0;
  }
};

template <>
struct NativeHostValue<std::string> {
  static bool Write(HostValueWriter& writer, HostValue& out, const std::string& native, const BindingTypeInfo*) {
    writer.Text(out, native);
    return native.empty();
  }
};

// An absent text is a member holding null.
template <>
struct NativeHostValue<std::optional<std::string>> {
  static bool Write(HostValueWriter& writer, HostValue& out, const std::optional<std::string>& native,
                    const BindingTypeInfo*) {
    if (!native.has_value()) return true;
    writer.Text(out, *native);
    return native->empty();
  }
};

template <>
struct NativeHostValue<BindingBlob> {
  static bool Write(HostValueWriter& writer, HostValue& out, const BindingBlob& native, const BindingTypeInfo*) {
    writer.Blob(out, native.bytes.data(), native.bytes.size());
    return native.bytes.empty();
  }
};

template <>
struct NativeHostValue<BindingValue> {
  static bool Write(HostValueWriter& writer, HostValue& out, const BindingValue& native, const BindingTypeInfo*) {
    writer.Value(out, native);
    return conversion::IsZeroOrEmpty(native);
  }
};

template <BindingEnumType T>
struct NativeHostValue<T> {
  static bool Write(HostValueWriter& writer, HostValue& out, const T& native, const BindingTypeInfo*) {
    writer.Enum(out, static_cast<std::int32_t>(native), StaticTypeOf<T>());
    return static_cast<std::int32_t>(native) == 0;
  }
};

template <BindingStruct T>
struct NativeHostValue<T> {
  static bool Write(HostValueWriter& writer, HostValue& out, const T& native, const BindingTypeInfo* info) {
    return writer.Struct(out, &native, info);
  }
};

template <typename E, typename A>
requires BindingElement<E>
struct NativeHostValue<std::vector<E, A>> {
  static constexpr std::size_t kRecordsAhead = 4;
  static constexpr std::size_t kTextsAhead = 2;
  static bool Write(HostValueWriter& writer, HostValue& out, const std::vector<E, A>& native,
                    const BindingTypeInfo* info) {
    HostValue* elements = writer.Array(out, native.size());
    // The loop asks for the texts of the record kTextsAhead on; those of the
    // first ones are asked for here, or every short list (a skin's chromas)
    // would start with misses.
    if constexpr (BindingStruct<E>) {
      for (std::size_t i = 0; i < kTextsAhead && i < native.size() && info != nullptr; ++i)
        HostValueWriter::FetchDetached(&native[i], *info);
    }
    for (std::size_t i = 0; elements != nullptr && i < native.size() && writer.Ok(); ++i) {
      if constexpr (BindingStruct<E>) {
        if (i + kRecordsAhead < native.size()) HostValueWriter::FetchRecord(&native[i + kRecordsAhead], sizeof(E));
        if (i + kTextsAhead < native.size() && info != nullptr)
          HostValueWriter::FetchDetached(&native[i + kTextsAhead], *info);
      }
      NativeHostValue<E>::Write(writer, elements[i], native[i], info);
    }
    return native.empty();
  }
};

// Members in unsigned byte order of their keys, whatever the map's own order.
template <typename M>
requires IsTextKeyedMap<M>::value && BindingElement<typename M::mapped_type>
struct NativeHostValue<M> {
  static bool Write(HostValueWriter& writer, HostValue& out, const M& native, const BindingTypeInfo* info) {
    std::vector<const typename M::value_type*> sorted;
    sorted.reserve(native.size());
    for (const auto& pair : native) sorted.push_back(&pair);
    std::sort(sorted.begin(), sorted.end(), [](const auto* left, const auto* right) {
      return std::string_view(left->first) < std::string_view(right->first);
    });
    HostValueMapEntry* entries = writer.Map(out, sorted.size());
    for (std::size_t i = 0; i < sorted.size() && writer.Ok(); ++i) {
      NativeHostValue<typename M::mapped_type>::Write(writer, entries[i].value, sorted[i]->second, info);
      entries[i].key = writer.Key(sorted[i]->first);
      entries[i].owns_key = 1;
    }
    out.payload.reference.count = static_cast<std::uint32_t>(sorted.size());
    return native.empty();
  }
};

// The whole of `native` into `out`; the root's block is the first the
// writer's arena hands out. After a failure `out` is to be dropped.
template <typename T>
void WriteHostValue(HostValueWriter& writer, HostValue& out, const T& native) {
  NativeHostValue<T>::Write(writer, out, native, NativeConversion<T>::Info(writer.Registry()));
}

}  // namespace kel
