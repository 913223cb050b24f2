// A headless Chromium for one test, driven through its DevTools protocol on
// the pipe it offers (--remote-debugging-pipe: commands in on descriptor 3,
// answers and events out on descriptor 4, each message JSON ended by a NUL),
// so no websocket client and no driver package are needed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

#include "binding/binding_value.h"

namespace kel::host::testing {

class DevToolsBrowser {
 public:
  // Starts Chromium with a fresh profile and attaches to its page.
  DevToolsBrowser();
  ~DevToolsBrowser();
  DevToolsBrowser(const DevToolsBrowser&) = delete;
  DevToolsBrowser& operator=(const DevToolsBrowser&) = delete;

  bool Ready() const { return !session_.empty(); }
  // Why the browser is not ready or the last call failed.
  const std::string& Error() const { return error_; }

  bool Navigate(const std::string& url);
  // The value of a JavaScript expression in the page (promises awaited);
  // nothing when it throws.
  std::optional<BindingValue> Evaluate(const std::string& expression);
  // Polls `expression` until it is true or `timeout` passes.
  bool WaitUntil(const std::string& expression, std::chrono::milliseconds timeout);

 private:
  // One command, on the page's session once attached; its result, or nothing
  // (with error_ set) on an error answer, a closed pipe or a timeout.
  std::optional<BindingValue> Call(const std::string& method, BindingValue params = {});
  std::nullopt_t Fail(std::string why) {
    error_ = std::move(why);
    return std::nullopt;
  }

  pid_t pid_ = -1;
  int to_browser_ = -1;
  int from_browser_ = -1;
  std::string directory_;
  std::string session_;
  std::string pending_;  // bytes read past the last whole message
  uint64_t next_id_ = 1;
  std::string error_;
};

}  // namespace kel::host::testing
