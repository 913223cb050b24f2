#include "devtools_browser.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <thread>
#include <vector>

#include "plugin_json.h"

extern char** environ;

namespace kel::host::testing {
namespace {

constexpr std::chrono::seconds kCallTimeout{30};

// Pipe ends above the standard descriptors and the two the browser reads
// and writes, so that placing them at 3 and 4 in the child never collides.
bool MakePipe(int& read_end, int& write_end) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  read_end = fcntl(ends[0], F_DUPFD_CLOEXEC, 10);
  write_end = fcntl(ends[1], F_DUPFD_CLOEXEC, 10);
  close(ends[0]);
  close(ends[1]);
  return read_end >= 0 && write_end >= 0;
}

}  // namespace

DevToolsBrowser::DevToolsBrowser() {
  signal(SIGPIPE, SIG_IGN);
  char pattern[] = "/tmp/kel-page-browser-XXXXXX";
  directory_ = mkdtemp(pattern);
  int browser_reads = -1, browser_writes = -1;
  if (!MakePipe(browser_reads, to_browser_) || !MakePipe(from_browser_, browser_writes)) {
    error_ = "cannot make the DevTools pipes";
    return;
  }
  std::vector<std::string> arguments = {
      "chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", "--user-data-dir=" + directory_ + "/profile",
      "--remote-debugging-pipe", "--window-size=1400,1000", "about:blank"};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, browser_reads, 3);
  posix_spawn_file_actions_adddup2(&actions, browser_writes, 4);
  const std::string log = directory_ + "/chromium.log";
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(browser_reads);
  close(browser_writes);
  if (spawned != 0) {
    pid_ = -1;
    error_ = "cannot start chromium (scripts/install-deps.sh installs it)";
    return;
  }

  BindingValue filter;
  filter.MakeStructure();
  const std::optional<BindingValue> targets = Call("Target.getTargets", filter, true);
  if (!targets) return;
  std::string target_id;
  for (const BindingValue& target : targets->Find("targetInfos").Elements()) {
    if (target.Find("type").GetString() == "page") target_id = target.Find("targetId").GetString();
  }
  BindingValue attach;
  attach.Member("targetId").SetString(target_id);
  attach.Member("flatten").SetBool(true);
  const std::optional<BindingValue> attached = Call("Target.attachToTarget", attach, true);
  if (attached) session_ = attached->Find("sessionId").GetString();
  if (session_.empty() && error_.empty()) error_ = "chromium offered no page to attach to";
}

DevToolsBrowser::~DevToolsBrowser() {
  if (pid_ > 0) {
    BindingValue none;
    none.MakeStructure();
    Call("Browser.close", none, true);
    // Browser.close answers before the browser is gone; give it a moment,
    // then insist.
    int status = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  if (to_browser_ >= 0) close(to_browser_);
  if (from_browser_ >= 0) close(from_browser_);
  std::error_code ignored;
  std::filesystem::remove_all(directory_, ignored);
}

std::optional<BindingValue> DevToolsBrowser::Call(const std::string& method, const BindingValue& params,
                                                  bool browser_wide) {
  if (pid_ <= 0) return std::nullopt;
  const uint64_t id = next_id_++;
  BindingValue command;
  command.Member("id").SetUnsigned(id);
  command.Member("method").SetString(method);
  command.Member("params") = params;
  if (!browser_wide) command.Member("sessionId").SetString(session_);
  std::string text = ToJsonText(command);
  text.push_back('\0');
  for (std::size_t written = 0; written < text.size();) {
    const ssize_t n = write(to_browser_, text.data() + written, text.size() - written);
    if (n <= 0) {
      error_ = "the DevTools pipe closed while sending " + method;
      return std::nullopt;
    }
    written += static_cast<std::size_t>(n);
  }
  std::optional<BindingValue> answer = Receive(id, std::chrono::steady_clock::now() + kCallTimeout);
  if (!answer) {
    if (error_.empty()) error_ = method + " got no answer";
    return std::nullopt;
  }
  if (!answer->Find("error").IsEmpty()) {
    error_ = method + " failed: " + ToJsonText(answer->Find("error"));
    return std::nullopt;
  }
  error_.clear();
  return answer->Find("result");
}

// Reads messages until the answer with `id`; events in between are dropped.
std::optional<BindingValue> DevToolsBrowser::Receive(uint64_t id, std::chrono::steady_clock::time_point deadline) {
  std::array<char, 1 << 16> buffer;
  for (;;) {
    for (std::size_t end; (end = pending_.find('\0')) != std::string::npos;) {
      std::optional<BindingValue> message = ParseJsonText(std::string_view(pending_).substr(0, end));
      pending_.erase(0, end + 1);
      if (message && message->Find("id").AsUnsigned() == id) return message;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd readable{from_browser_, POLLIN, 0};
    if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
    const ssize_t n = read(from_browser_, buffer.data(), buffer.size());
    if (n <= 0) {
      error_ = "chromium closed the DevTools pipe";
      return std::nullopt;
    }
    pending_.append(buffer.data(), static_cast<std::size_t>(n));
  }
}

bool DevToolsBrowser::Navigate(const std::string& url) {
  BindingValue params;
  params.Member("url").SetString(url);
  return Call("Page.navigate", params).has_value();
}

std::optional<BindingValue> DevToolsBrowser::Evaluate(const std::string& expression) {
  BindingValue params;
  params.Member("expression").SetString(expression);
  params.Member("returnByValue").SetBool(true);
  params.Member("awaitPromise").SetBool(true);
  std::optional<BindingValue> result = Call("Runtime.evaluate", params);
  if (!result) return std::nullopt;
  if (!result->Find("exceptionDetails").IsEmpty()) {
    error_ = expression + " threw: " + ToJsonText(result->Find("exceptionDetails").Find("exception").Find("description"));
    return std::nullopt;
  }
  return result->Find("result").Find("value");
}

bool DevToolsBrowser::WaitUntil(const std::string& expression, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const std::optional<BindingValue> value = Evaluate(expression);
    if (value && value->GetBool()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

}  // namespace kel::host::testing
