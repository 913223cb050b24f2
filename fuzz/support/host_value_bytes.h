// HostValue trees of any shape from fuzz bytes, as a hostile core could
// build them: kinds in and out of range, booleans other than 0 and 1, texts
// with NULs inside, null pointers with a zero count, null map keys, any
// nesting. Everything pointed at lives in the arena until it goes.
//
// A node is a kind byte, then its payload. The kind byte's low seven bits
// are the kind (0x7F: a raw 32-bit kind follows); its top bit makes a
// string, blob, array or map a null pointer with a count of 0.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "binding/binding_value.h"
#include "binding/host_value_abi.h"
#include "support/byte_source.h"

namespace kel::fuzz {

class HostValueArena {
 public:
  // Reads one node and its children; deeper than kMaxDepth reads as null.
  HostValue Read(ByteSource& source, unsigned depth = 0);

  static constexpr unsigned kMaxDepth = 4096;

 private:
  const char* Keep(std::string bytes);

  std::deque<std::string> texts_;
  std::deque<std::vector<HostValue>> arrays_;
  std::deque<std::vector<HostValueMapEntry>> maps_;
};

// Writes a binding value in the form HostValueArena reads (for seeds).
void WriteHostValue(ByteSink& sink, const BindingValue& value);

}  // namespace kel::fuzz
