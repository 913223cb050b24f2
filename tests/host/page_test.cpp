// The inventory page in a headless browser against the real host: it logs in
// from its controls, shows the generated inventory, follows store messages
// live without a reload and says so when the host is gone. What the host
// serves is the HTTP-level tests' business.
//
// The browser is a headless Chromium driven through its DevTools protocol on
// the pipe it offers (--remote-debugging-pipe: commands in on descriptor 3,
// answers and events out on descriptor 4, each message JSON ended by a NUL),
// so no websocket client and no driver package are needed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "binding/binding_value.h"
#include "host_process.h"

namespace kel::host::testing {
namespace {

// A pipe whose ends lie above the descriptors the child gets at 3 and 4, so
// that placing them there never collides.
bool MakePipe(int& read_end, int& write_end) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  read_end = fcntl(ends[0], F_DUPFD_CLOEXEC, 10);
  write_end = fcntl(ends[1], F_DUPFD_CLOEXEC, 10);
  close(ends[0]);
  close(ends[1]);
  return read_end >= 0 && write_end >= 0;
}

class DevToolsBrowser {
 public:
  // Starts Chromium with a fresh profile and attaches to its page.
  DevToolsBrowser() {
    signal(SIGPIPE, SIG_IGN);
    char pattern[] = "/tmp/kel-page-browser-XXXXXX";
    directory_ = mkdtemp(pattern);
    int browser_reads = -1, browser_writes = -1;
    if (!MakePipe(browser_reads, to_browser_) || !MakePipe(from_browser_, browser_writes)) {
      error_ = "cannot make the DevTools pipes";
      return;
    }
    pid_ = Spawn(
        {"chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--user-data-dir=" + directory_ + "/profile",
         "--remote-debugging-pipe", "--window-size=1400,1000", "about:blank"},
        "", directory_ + "/chromium.log", "", {browser_reads, browser_writes});
    close(browser_reads);
    close(browser_writes);
    if (pid_ < 0) {
      error_ = "cannot start chromium (scripts/install-deps.sh installs it)";
      return;
    }
    const std::optional<BindingValue> targets = Call("Target.getTargets");
    if (!targets) return;
    BindingValue attach;
    for (const BindingValue& target : targets->Find("targetInfos").Elements()) {
      if (target.Find("type").GetString() == "page")
        attach.Member("targetId").SetString(target.Find("targetId").GetString());
    }
    attach.Member("flatten").SetBool(true);
    if (const std::optional<BindingValue> attached = Call("Target.attachToTarget", attach)) {
      session_ = attached->Find("sessionId").GetString();
    }
    if (session_.empty() && error_.empty()) error_ = "chromium offered no page to attach to";
  }
  ~DevToolsBrowser() {
    if (pid_ > 0) {
      session_.clear();
      Call("Browser.close");
      // It answers before it is gone; give it a moment, then insist.
      if (!WaitFor([&] { return waitpid(pid_, nullptr, WNOHANG) != 0; }, std::chrono::seconds(10)))
        kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
    }
    close(to_browser_);
    close(from_browser_);
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
  DevToolsBrowser(const DevToolsBrowser&) = delete;
  DevToolsBrowser& operator=(const DevToolsBrowser&) = delete;

  bool Ready() const { return !session_.empty(); }
  // Why the browser is not ready or the last call failed.
  const std::string& Error() const { return error_; }

  bool Navigate(const std::string& url) {
    BindingValue params;
    params.Member("url").SetString(url);
    return Call("Page.navigate", params).has_value();
  }
  // The value of a JavaScript expression in the page (promises awaited);
  // nothing when it throws.
  std::optional<BindingValue> Evaluate(const std::string& expression) {
    BindingValue params;
    params.Member("expression").SetString(expression);
    params.Member("returnByValue").SetBool(true);
    params.Member("awaitPromise").SetBool(true);
    const std::optional<BindingValue> result = Call("Runtime.evaluate", params);
    if (!result) return std::nullopt;
    const BindingValue& thrown = result->Find("exceptionDetails");
    if (!thrown.IsEmpty())
      return Fail(expression + " threw: " + ToJsonText(thrown.Find("exception").Find("description")));
    return result->Find("result").Find("value");
  }

 private:
  // One command, on the page's session once attached; its result, or nothing
  // (with error_ set) on an error answer, a closed pipe or a timeout.
  std::optional<BindingValue> Call(const std::string& method, BindingValue params = {}) {
    if (pid_ <= 0) return std::nullopt;
    const uint64_t id = next_id_++;
    BindingValue command;
    command.Member("id").SetUnsigned(id);
    command.Member("method").SetString(method);
    command.Member("params") = std::move(params);
    if (command.Member("params").IsEmpty()) command.Member("params").MakeStructure();
    if (!session_.empty()) command.Member("sessionId").SetString(session_);
    const std::string text = ToJsonText(command) + '\0';
    for (std::size_t written = 0; written < text.size();) {
      const ssize_t n = write(to_browser_, text.data() + written, text.size() - written);
      if (n <= 0) return Fail("the DevTools pipe closed while sending " + method);
      written += static_cast<std::size_t>(n);
    }
    // Messages up to the answer with `id`; events in between are dropped.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::array<char, 1 << 16> buffer;
    for (;;) {
      for (std::size_t end; (end = pending_.find('\0')) != std::string::npos;) {
        std::optional<BindingValue> message = ParseJsonText(std::string_view(pending_).substr(0, end));
        pending_.erase(0, end + 1);
        if (!message || message->Find("id").AsUnsigned() != id) continue;
        if (!message->Find("error").IsEmpty()) {
          return Fail(method + " failed: " + ToJsonText(message->Find("error")));
        }
        error_.clear();
        return message->Find("result");
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return Fail(method + " got no answer");
      pollfd readable{from_browser_, POLLIN, 0};
      if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
      const ssize_t n = read(from_browser_, buffer.data(), buffer.size());
      if (n <= 0) return Fail("chromium closed the DevTools pipe");
      pending_.append(buffer.data(), static_cast<std::size_t>(n));
    }
  }
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

using std::chrono::milliseconds;

class PageTest : public ::testing::Test {
 protected:
  // Polls `expression` until it is true.
  bool WaitUntil(const std::string& expression) {
    return WaitFor(
        [&] {
          const std::optional<BindingValue> value = browser_.Evaluate(expression);
          return value && value->GetBool();
        },
        Patience(milliseconds(15000)));
  }

  std::string Shown(const std::string& expression) {
    const std::optional<BindingValue> value = browser_.Evaluate(expression);
    return value ? value->AsText() : browser_.Error();
  }

  void Click(const std::string& selector) {
    ASSERT_TRUE(browser_.Evaluate("document.querySelector('" + selector + "').click()")) << browser_.Error();
  }

  DevToolsBrowser browser_;
};

TEST_F(PageTest, LogsInFollowsStoreMessagesWithoutReloadAndSaysWhenTheHostIsGone) {
  HostProcess host({"--no-login"});
  ASSERT_TRUE(browser_.Ready()) << browser_.Error();
  ASSERT_TRUE(browser_.Navigate("http://127.0.0.1:" + std::to_string(host.Port()) + "/")) << browser_.Error();
  EXPECT_TRUE(WaitUntil("document.getElementById('notice').textContent.includes('Nobody is logged in')"))
      << Shown("document.getElementById('notice').textContent");

  Click("[data-action=\"login\"]");
  const std::string champions = std::to_string(DefaultWorld().Champions().size());
  ASSERT_TRUE(WaitUntil("document.getElementById('champion-count')?.textContent === '" + champions +
                        "' && document.querySelectorAll('.tile').length === " + champions +
                        " && document.getElementById('count-owned') !== null"))
      << "the page did not show " << champions << " champions; it shows: " << Shown("document.body.innerText");
  // A reload would lose this, so changes seen later came without one.
  ASSERT_TRUE(browser_.Evaluate("window.notReloaded = true"));

  // The first active champion that is locked, bought through the controls.
  const std::string locked =
      Shown("document.querySelector('#grid .tile[data-state=\"locked\"]')?.dataset.championId ?? ''");
  ASSERT_FALSE(locked.empty()) << "no locked champion on the page";
  const std::string tile = "[data-champion-id=\"" + locked + "\"]";
  const std::string owned = Shown("document.getElementById('count-owned').textContent");
  Click(tile);
  ASSERT_TRUE(WaitUntil("document.querySelector('#detail [data-skin-id]') !== null")) << "no skins shown";
  Click("[data-action=\"champion-own\"]");
  EXPECT_TRUE(WaitUntil("document.querySelector('" + tile +
                        "').dataset.state === 'owned' && "
                        "document.getElementById('count-owned').textContent === '" +
                        std::to_string(std::stoll("0" + owned) + 1) + "'"))
      << "tile " << Shown("document.querySelector('" + tile + "').dataset.state") << ", owned count "
      << Shown("document.getElementById('count-owned').textContent") << " (was " << owned << ")";

  // One of its other skins that is not owned: the detail and the feed follow
  // the skin events.
  const std::string skin =
      Shown("document.querySelector('#detail .skin[data-state=\"locked\"]:not([data-base])')?.dataset.skinId ?? ''");
  ASSERT_FALSE(skin.empty()) << "the champion has no locked skin";
  const std::string row = "#detail [data-skin-id=\"" + skin + "\"]";
  Click(row);
  Click("[data-action=\"skin-own\"]");
  EXPECT_TRUE(WaitUntil("document.querySelector('" + row + "')?.dataset.state === 'owned'"))
      << "skin row " << Shown("document.querySelector('" + row + "')?.dataset.state");
  EXPECT_TRUE(WaitUntil(
      "[...document.querySelectorAll('#events .uri')].some((uri) => uri.textContent.endsWith('/skins/" + skin + "'))"))
      << "the feed does not list the skin's event";
  EXPECT_EQ(Shown("String(window.notReloaded)"), "true");

  host.Stop();
  EXPECT_TRUE(
      WaitUntil("document.body.classList.contains('host-down') && "
                "document.getElementById('notice').textContent.includes('not answering at')"))
      << Shown("document.getElementById('notice').textContent");
}

}  // namespace
}  // namespace kel::host::testing
