// The inventory page in a headless browser against the real host: it shows
// the generated inventory, follows store messages and rental expiries live,
// drives scenarios through the control API and says so when the host is
// gone.
#include <gtest/gtest.h>

#include "devtools_browser.h"
#include "host/host_options.h"
#include "host_process.h"
#include "platform/clock.h"

namespace kel::host::testing {
namespace {

using std::chrono::milliseconds;

// A champion that is a legacy rental in the default summoner's ownership
// reply, so that it expires on the host's --legacy-rentals-end-in-ms.
int32_t LegacyRentalChampion() {
  for (const auto& record : DefaultWorld().Ownership(kDefaultSummonerId, platform::WallClockMilliseconds())) {
    if (record.kind == datagen::OwnershipKind::LegacyRental && !record.owned) return record.championId;
  }
  return 0;
}

class PageTest : public ::testing::Test {
 protected:
  // Opens the page and waits until it shows `champions` champions and the
  // playable counts (which may come a little later).
  void Open(const HostProcess& host, std::size_t champions) {
    ASSERT_TRUE(browser_.Ready()) << browser_.Error();
    ASSERT_TRUE(browser_.Navigate("http://127.0.0.1:" + std::to_string(host.Port()) + "/")) << browser_.Error();
    ASSERT_TRUE(WaitUntil("document.getElementById('champion-count')?.textContent === '" + std::to_string(champions) +
                          "' && document.querySelectorAll('.tile').length === " + std::to_string(champions) +
                          " && document.getElementById('count-owned') !== null"))
        << "the page did not show " << champions << " champions; it shows: " << Shown("document.body.innerText");
    // A reload would lose this, so changes seen later came without one.
    ASSERT_TRUE(browser_.Evaluate("window.notReloaded = true"));
  }

  bool WaitUntil(const std::string& expression, milliseconds timeout = milliseconds(15000)) {
    return browser_.WaitUntil(expression, Patience(timeout));
  }

  std::string Shown(const std::string& expression) {
    const std::optional<BindingValue> value = browser_.Evaluate(expression);
    return value ? value->AsText() : browser_.Error();
  }

  int64_t Count(const std::string& id) {
    return std::stoll("0" + Shown("document.getElementById('" + id + "')?.textContent ?? ''"));
  }

  void Click(const std::string& selector) {
    ASSERT_TRUE(browser_.Evaluate("document.querySelector('" + selector + "').click()")) << browser_.Error();
  }

  void ExpectNotReloaded() { EXPECT_EQ(Shown("String(window.notReloaded)"), "true"); }

  DevToolsBrowser browser_;
};

TEST_F(PageTest, FollowsStoreMessagesForAChampionAndASkinWithoutReload) {
  HostProcess host;
  ASSERT_NO_FATAL_FAILURE(Open(host, DefaultWorld().Champions().size()));

  // The first active champion that is locked, bought through the controls.
  const std::string locked =
      Shown("document.querySelector('#grid .tile[data-state=\"locked\"]')?.dataset.championId ?? ''");
  ASSERT_FALSE(locked.empty()) << "no locked champion on the page";
  const std::string tile = "[data-champion-id=\"" + locked + "\"]";
  const int64_t owned = Count("count-owned");
  Click(tile);
  ASSERT_TRUE(WaitUntil("document.querySelector('#detail [data-skin-id]') !== null")) << "no skins shown";
  Click("[data-action=\"champion-own\"]");
  EXPECT_TRUE(WaitUntil("document.querySelector('" + tile +
                        "').dataset.state === 'owned' && "
                        "document.getElementById('count-owned').textContent === '" +
                        std::to_string(owned + 1) + "'"))
      << "tile " << Shown("document.querySelector('" + tile + "').dataset.state") << ", owned count "
      << Count("count-owned") << " (was " << owned << ")";

  // One of its other skins that is not owned: the detail follows the skin
  // events.
  const std::string skin =
      Shown("document.querySelector('#detail .skin[data-state=\"locked\"]:not([data-base])')?.dataset.skinId ?? ''");
  ASSERT_FALSE(skin.empty()) << "the champion has no locked skin";
  const std::string row = "#detail [data-skin-id=\"" + skin + "\"]";
  Click(row);
  Click("[data-action=\"skin-own\"]");
  EXPECT_TRUE(WaitUntil("document.querySelector('" + row + "')?.dataset.state === 'owned'"))
      << "skin row " << Shown("document.querySelector('" + row + "')?.dataset.state");
  EXPECT_TRUE(
      WaitUntil("[...document.querySelectorAll('#events .uri')].some((uri) => "
                "uri.textContent.endsWith('/skins/" +
                skin + "'))"))
      << "the feed does not list the skin's event";
  ExpectNotReloaded();
}

TEST_F(PageTest, FollowsALegacyRentalThatExpiresWithoutReload) {
  const int32_t champion = LegacyRentalChampion();
  ASSERT_NE(champion, 0) << "the default world has no legacy rental";
  const milliseconds ends_in = Patience(milliseconds(8000));
  HostProcess host({"--legacy-rentals-end-in-ms", std::to_string(ends_in.count())});
  ASSERT_NO_FATAL_FAILURE(Open(host, DefaultWorld().Champions().size()));
  const std::string tile = "[data-champion-id=\"" + std::to_string(champion) + "\"]";
  ASSERT_TRUE(WaitUntil("document.querySelector('" + tile + "').dataset.state === 'rented'", milliseconds(4000)))
      << "champion " << champion << " is " << Shown("document.querySelector('" + tile + "').dataset.state");
  const int64_t rented = Count("count-rented");

  EXPECT_TRUE(WaitUntil("document.querySelector('" + tile + "').dataset.state !== 'rented'", ends_in * 2))
      << "champion " << champion << " still shows rented";
  EXPECT_TRUE(WaitUntil("Number(document.getElementById('count-rented').textContent) < " + std::to_string(rented)))
      << "rented count stayed " << Count("count-rented");
  ExpectNotReloaded();
}

TEST_F(PageTest, LogsInFromTheControlsAndSaysWhenTheHostIsGone) {
  HostProcess host({"--no-login"});
  ASSERT_TRUE(browser_.Ready()) << browser_.Error();
  ASSERT_TRUE(browser_.Navigate("http://127.0.0.1:" + std::to_string(host.Port()) + "/"));
  EXPECT_TRUE(WaitUntil("document.getElementById('notice').textContent.includes('Nobody is logged in')"))
      << Shown("document.getElementById('notice').textContent");

  Click("[data-action=\"login\"]");
  EXPECT_TRUE(WaitUntil("document.getElementById('champion-count')?.textContent === '" +
                        std::to_string(DefaultWorld().Champions().size()) + "'"))
      << Shown("document.body.innerText");

  host.Stop();
  EXPECT_TRUE(
      WaitUntil("document.body.classList.contains('host-down') && "
                "document.getElementById('notice').textContent.includes('not answering at')"))
      << Shown("document.getElementById('notice').textContent");
}

}  // namespace
}  // namespace kel::host::testing
