// MessagePack bytes into a binding value. The plug-in only reads MessagePack
// (request bodies and arguments); it never writes it.
#pragma once

#include <cstddef>

#include "binding/binding_result.h"

namespace kel {

// Decodes the first complete value in bytes[0, length). Bytes after it are
// not examined; *consumed (when given) receives the count of bytes read, so a
// caller that wants exactly one value compares it with length. The empty
// input is an empty value. Failures name the byte position where the data
// went wrong.
[[nodiscard]] BindingResult DecodeMsgPack(const void* bytes, size_t length, size_t* consumed = nullptr);

// True when bytes start with a MessagePack map or array header: how a body
// that arrives without a content type is recognised.
bool LooksLikeMsgPack(const void* bytes, size_t length);

}  // namespace kel
