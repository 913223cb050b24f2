// The inventory page in a headless browser against the real host: it logs in
// from its controls, shows the generated inventory, follows store messages
// live without a reload and says so when the host is gone. What the host
// serves is the HTTP-level tests' business.
#include <gtest/gtest.h>

#include "devtools_browser.h"
#include "host_process.h"

namespace kel::host::testing {
namespace {

using std::chrono::milliseconds;

class PageTest : public ::testing::Test {
 protected:
  bool WaitUntil(const std::string& expression) { return browser_.WaitUntil(expression, Patience(milliseconds(15000))); }

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
  EXPECT_TRUE(WaitUntil("[...document.querySelectorAll('#events .uri')].some((uri) => uri.textContent.endsWith('/skins/" +
                        skin + "'))"))
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
