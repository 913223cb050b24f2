#include "support/scripted_answers.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "api/request_abi.h"

namespace kel::fuzz {
namespace {

constexpr uint64_t kMaxReads = 64;
std::mutex g_mutex;  // the plug-in may ask from several threads
ScriptedAnswers* g_current = nullptr;

}  // namespace

ScriptedAnswers::ScriptedAnswers(testing::FakeCore& core, ByteSource& source) : core_(core), source_(source) {
  g_current = this;
  core_.on_send_request = [this](const testing::RequestCall& call) {
    std::lock_guard lock(g_mutex);
    Fill(*call.response);
  };
}

ScriptedAnswers::~ScriptedAnswers() {
  core_.on_send_request = nullptr;
  g_current = nullptr;
}

void ScriptedAnswers::Fill(ResponseRecord& response) {
  ++unreleased_;
  response.release = &Release;
  if (source_.Empty()) {
    response.status = 404;
    response.has_error = 1;
    response.error_message = strdup("Not found");
    return;
  }
  response.status = source_.U32();
  if (std::optional<std::string> error = source_.NullableBytes()) {
    response.has_error = 1;
    response.error_message = strdup(error->c_str());
  }
  if ((source_.U8() & 1) == 0) {
    response.result = arena_.Read(source_);
    return;
  }
  auto* stream = new Stream{this, {}, 0};
  response.body_size = source_.U32();
  const uint64_t reads = source_.Count(kMaxReads);
  for (uint64_t i = 0; i < reads; ++i) {
    Read read;
    read.reported_length = source_.U32();
    read.bytes = source_.Bytes();
    read.more = source_.U8();
    read.ok = source_.U8();
    stream->reads.push_back(std::move(read));
  }
  response.read_body = &ReadBody;
  response.release_body = &CloseBody;
  response.body_stream = stream;
  ++open_streams_;
}

// Copies no more than the room it was given, then reports whatever length
// the input says: the plug-in must not trust it.
uint32_t ScriptedAnswers::ReadBody(void* stream, uintptr_t buffer, uintptr_t length, uintptr_t more) {
  auto* s = static_cast<Stream*>(stream);
  auto* length_out = reinterpret_cast<uint32_t*>(length);
  auto* more_out = reinterpret_cast<uint8_t*>(more);
  if (s->next >= s->reads.size()) return 0;
  const Read& read = s->reads[s->next++];
  std::memcpy(reinterpret_cast<char*>(buffer), read.bytes.data(), std::min<size_t>(read.bytes.size(), *length_out));
  *length_out = read.reported_length;
  *more_out = read.more;
  return read.ok;
}

void ScriptedAnswers::CloseBody(void* stream) {
  auto* s = static_cast<Stream*>(stream);
  {
    std::lock_guard lock(g_mutex);
    --s->owner->open_streams_;
  }
  delete s;
}

void ScriptedAnswers::Release(ResponseRecord* response) {
  std::lock_guard lock(g_mutex);
  free(response->error_message);
  std::memset(response, 0, sizeof(*response));
  if (g_current != nullptr) --g_current->unreleased_;
}

}  // namespace kel::fuzz
