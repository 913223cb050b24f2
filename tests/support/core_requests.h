// Answers to SendRequest on top of FakeCore: inline bodies, errors with a
// status, and streamed bodies read chunk by chunk, with counts of every
// release the plug-in owes the core.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "api/request_codes.h"
#include "binding/binding_value.h"
#include "support/fake_core.h"

namespace kel::testing {

// One read of a streamed body: the bytes handed out, the more-flag, and
// whether the read reports success.
struct StreamRead {
  std::string bytes;
  bool more = false;
  bool ok = true;
};

struct ScriptedResponse {
  BindingValue body;                 // the inline body
  std::optional<std::string> error;  // the core's error message
  uint32_t status = 200;
  // When set, the body is streamed: one entry per read.
  std::optional<std::vector<StreamRead>> stream;
  uint32_t sizeHint = 0;
};

// A request as the core received it.
struct SentRequest {
  RequestMethod method = RequestMethod::kAny;
  std::string url;
  std::vector<BindingValue> arguments;  // converted back from the HostValues
  bool allArgumentsUnnamed = true;
  uint32_t token = 0;
  bool restZero = true;  // no function, headers, content type, body or custom method
};

class RequestScript {
 public:
  // Answers every request to the core. Requests for a URL take its answers
  // in order, the last one answering until another is queued; a URL without
  // answers gets `unanswered`.
  explicit RequestScript(FakeCore& core, ScriptedResponse unanswered = {});
  ~RequestScript();
  RequestScript(const RequestScript&) = delete;
  RequestScript& operator=(const RequestScript&) = delete;

  void Answer(const std::string& url, ScriptedResponse response);
  void AnswerJson(const std::string& url, std::string_view json);
  void AnswerError(const std::string& url, std::string error, uint32_t status = 500);
  // Runs on the requesting thread before the answer is given.
  std::function<void(const SentRequest&)> onRequest;

  std::vector<SentRequest> Sent() const;
  std::vector<SentRequest> SentTo(std::string_view url) const;
  int Releases() const;
  int StreamCloses() const;
  // Releases of records no script filled, or filled and released already,
  // in the whole process.
  static int StrayReleases();
  // For each read of a streamed body, the number of BeginWait calls the core
  // had seen before it.
  std::vector<size_t> WaitsBeforeReads() const;

 private:
  struct Stream;
  struct Queued {
    ScriptedResponse response;
    bool used;
  };
  void Fill(const RequestCall& call);
  static uint32_t Read(void* stream, uintptr_t buffer, uintptr_t length, uintptr_t more);
  static void Close(void* stream);
  static void Release(ResponseRecord* response);

  FakeCore& core_;
  const ScriptedResponse unanswered_;
  mutable std::mutex mutex_;
  std::map<std::string, std::deque<Queued>, std::less<>> answers_;
  std::vector<SentRequest> sent_;
  int releases_ = 0;
  int closes_ = 0;
  std::vector<size_t> waitsBeforeReads_;
};

}  // namespace kel::testing
