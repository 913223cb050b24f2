// What SendRequest answers, read from fuzz bytes request by request: status,
// error text, and either an inline HostValue or a streamed body whose reads
// report any length and more-flag and whose size hint may lie. Past the end
// of the input every request fails with 404 "Not found".
//
// Answer: u32 status, nullable error text, mode byte (even: inline value
// follows; odd: u32 size hint, read count, then per read: u32 reported
// length, bytes, more byte, ok byte).
#pragma once

#include <string>
#include <vector>

#include "support/byte_source.h"
#include "support/fake_core.h"
#include "support/host_value_bytes.h"

namespace kel::fuzz {

class ScriptedAnswers {
 public:
  ScriptedAnswers(testing::FakeCore& core, ByteSource& source);
  ~ScriptedAnswers();
  ScriptedAnswers(const ScriptedAnswers&) = delete;
  ScriptedAnswers& operator=(const ScriptedAnswers&) = delete;

  // Records filled and not released, streams opened and not closed.
  int Unreleased() const { return unreleased_; }
  int OpenStreams() const { return open_streams_; }

 private:
  struct Read {
    uint32_t reported_length;
    std::string bytes;
    uint8_t more;
    uint8_t ok;
  };
  struct Stream {
    ScriptedAnswers* owner;
    std::vector<Read> reads;
    size_t next = 0;
  };
  void Fill(ResponseRecord& response);
  static uint32_t ReadBody(void* stream, uintptr_t buffer, uintptr_t length, uintptr_t more);
  static void CloseBody(void* stream);
  static void Release(ResponseRecord* response);

  testing::FakeCore& core_;
  ByteSource& source_;
  HostValueArena arena_;
  std::vector<std::string> errors_;
  int unreleased_ = 0;
  int open_streams_ = 0;
};

}  // namespace kel::fuzz
