#pragma once

#include <cstdint>

namespace kel {

// A response body the core reads in pieces after the call has returned
// (instead of a result value). The response record takes the stream over;
// the core destroys it through the record's body-stream release function.
class ResponseBodyStream {
 public:
  virtual ~ResponseBodyStream() = default;
  // Called by the core, through the record, with three words it passes on
  // unchanged.
  virtual uint32_t Read(uintptr_t a, uintptr_t b, uintptr_t c) = 0;
  // The value the response record reports beside the stream.
  virtual uint32_t Size() const = 0;
};

}  // namespace kel
