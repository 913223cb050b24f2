#include "support/core_requests.h"

#include <cstring>

#include "api/request_abi.h"
#include "binding/host_value_conversion.h"
#include "serialization/json_reader.h"

namespace kel::testing {

struct RequestScript::Stream {
  RequestScript* script;
  std::vector<StreamRead> reads;
  size_t next = 0;
};

namespace {

// The release function gets only the record, so the script of each filled
// record is found here.
std::mutex g_ownersMutex;
std::map<const ResponseRecord*, RequestScript*> g_owners;
int g_strayReleases = 0;

template <class T>
T Locked(std::mutex& mutex, const T& value) {
  std::lock_guard lock(mutex);
  return value;
}

}  // namespace

RequestScript::RequestScript(FakeCore& core, ScriptedResponse unanswered)
    : core_(core), unanswered_(std::move(unanswered)) {
  core_.on_send_request = [this](const RequestCall& call) { Fill(call); };
}

RequestScript::~RequestScript() { core_.on_send_request = nullptr; }

void RequestScript::Answer(const std::string& url, ScriptedResponse response) {
  std::lock_guard lock(mutex_);
  std::deque<Queued>& queue = answers_[url];
  // A last answer that has answered already gives way to the new one.
  if (!queue.empty() && queue.back().used) queue.pop_back();
  queue.push_back({std::move(response), false});
}

void RequestScript::AnswerJson(const std::string& url, std::string_view json) {
  Answer(url, {ParseJson(std::string(json).c_str()).Value()});
}

void RequestScript::AnswerError(const std::string& url, std::string error, uint32_t status) {
  Answer(url, {BindingValue(), std::move(error), status});
}

void RequestScript::Fill(const RequestCall& call) {
  const RequestRecord& request = *call.request;
  SentRequest sent;
  sent.method = static_cast<RequestMethod>(request.method);
  sent.url = request.path ? request.path : "";
  sent.token = request.request_token;
  for (uint32_t i = 0; i < request.argument_count; ++i) {
    BindingResult value;
    FromHostValue(value, request.arguments[i].value, "argument");
    sent.arguments.push_back(value.Value());
    if (request.arguments[i].name != nullptr) sent.allArgumentsUnnamed = false;
  }
  sent.restZero = request.invoke_context == nullptr && request.headers == nullptr && request.header_count == 0 &&
                  request.content_type == nullptr && request.body == nullptr && request.body_length == 0 &&
                  request.custom_method == nullptr;

  ScriptedResponse answer = unanswered_;
  {
    std::lock_guard lock(mutex_);
    sent_.push_back(sent);
    const auto found = answers_.find(sent.url);
    if (found != answers_.end() && !found->second.empty()) {
      answer = found->second.front().response;
      if (found->second.size() > 1) {
        found->second.pop_front();
      } else {
        found->second.front().used = true;
      }
    }
  }
  if (onRequest) onRequest(sent);
  ResponseRecord& response = *call.response;
  response.status = answer.status;
  if (answer.error) {
    response.error_message = strdup(answer.error->c_str());
    response.has_error = 1;
  }
  if (answer.stream) {
    response.read_body = &Read;
    response.release_body = &Close;
    response.body_size = answer.sizeHint;
    response.body_stream = new Stream{this, *answer.stream, 0};
  } else {
    BindingResult converted;
    ToHostValue(converted, answer.body, response.result);
  }
  response.release = &Release;
  std::lock_guard lock(g_ownersMutex);
  g_owners[&response] = this;
}

uint32_t RequestScript::Read(void* stream, uintptr_t buffer, uintptr_t length, uintptr_t more) {
  auto* s = static_cast<Stream*>(stream);
  {
    std::lock_guard lock(s->script->mutex_);
    s->script->waitsBeforeReads_.push_back(s->script->core_.CallCount(HostFunction::kBeginWait));
  }
  auto* lengthOut = reinterpret_cast<uint32_t*>(length);
  auto* moreOut = reinterpret_cast<uint8_t*>(more);
  if (s->next >= s->reads.size()) return 0;
  const StreamRead& read = s->reads[s->next++];
  const size_t size = std::min<size_t>(read.bytes.size(), *lengthOut);
  std::memcpy(reinterpret_cast<char*>(buffer), read.bytes.data(), size);
  *lengthOut = static_cast<uint32_t>(size);
  *moreOut = read.more ? 1 : 0;
  return read.ok ? 1 : 0;
}

void RequestScript::Close(void* stream) {
  auto* s = static_cast<Stream*>(stream);
  {
    std::lock_guard lock(s->script->mutex_);
    ++s->script->closes_;
  }
  delete s;
}

void RequestScript::Release(ResponseRecord* response) {
  RequestScript* script = nullptr;
  {
    std::lock_guard lock(g_ownersMutex);
    const auto found = g_owners.find(response);
    if (found == g_owners.end()) {
      ++g_strayReleases;
      return;
    }
    script = found->second;
    g_owners.erase(found);
  }
  ReleaseHostValue(response->result);
  free(response->error_message);
  std::memset(response, 0, sizeof(*response));
  std::lock_guard lock(script->mutex_);
  ++script->releases_;
}

std::vector<SentRequest> RequestScript::Sent() const { return Locked(mutex_, sent_); }

std::vector<SentRequest> RequestScript::SentTo(std::string_view url) const {
  std::vector<SentRequest> matching = Sent();
  std::erase_if(matching, [url](const SentRequest& request) { return request.url != url; });
  return matching;
}

int RequestScript::Releases() const { return Locked(mutex_, releases_); }
int RequestScript::StreamCloses() const { return Locked(mutex_, closes_); }
int RequestScript::StrayReleases() { return Locked(g_ownersMutex, g_strayReleases); }
std::vector<size_t> RequestScript::WaitsBeforeReads() const { return Locked(mutex_, waitsBeforeReads_); }

}  // namespace kel::testing
