#include "runtime/event_names.h"
#include "runtime/resource_pattern.h"

#include <gtest/gtest.h>

namespace kel {
namespace {

TEST(ResourceEventNameTest, KeepsThreeSegmentsOrFiveUnderPlatformConfiguration) {
  EXPECT_EQ(ResourceEventName("/kel-login/v1/session"), "OnJsonApiEvent_kel-login_v1_session");
  EXPECT_EQ(ResourceEventName("kel-login/v1/session/deeper/still"), "OnJsonApiEvent_kel-login_v1_session");
  EXPECT_EQ(ResourceEventName("//kel-login//v1/"), "OnJsonApiEvent_kel-login_v1");
  EXPECT_EQ(ResourceEventName("/kel-platform-config/v1/namespaces/ClientSystemStates/inactiveChampionIdList"),
            "OnJsonApiEvent_kel-platform-config_v1_namespaces_ClientSystemStates_inactiveChampionIdList");
  EXPECT_EQ(ResourceEventName("/kel-platform-config/v1/namespaces/A/b/c/d"),
            "OnJsonApiEvent_kel-platform-config_v1_namespaces_A_b");
  // Only the first segment selects the longer form.
  EXPECT_EQ(ResourceEventName("/x/kel-platform-config/a/b/c"), "OnJsonApiEvent_x_kel-platform-config_a");
  EXPECT_EQ(ResourceEventName(""), "OnJsonApiEvent");
}

TEST(DrovEventNameTest, ReplacesEveryDot) {
  EXPECT_EQ(DrovEventName("a.b.C"), "OnDrovEvent_a_b_C");
  EXPECT_EQ(DrovEventName("com.tesselworks.platform.messaging.RentalUpdateNotification"),
            "OnDrovEvent_com_tesselworks_platform_messaging_RentalUpdateNotification");
}

TEST(ResourcePatternTest, StarTakesOneNonEmptyRestOfASegment) {
  EXPECT_TRUE(ResourcePatternMatches("/a/*/c", "/a/b/c"));
  EXPECT_TRUE(ResourcePatternMatches("/a/*/c", "/a/bbb/c"));
  EXPECT_TRUE(ResourcePatternMatches("/a/*/c", "/a//c"));
  EXPECT_FALSE(ResourcePatternMatches("/a/*/c", "/a/b/x/c"));
  EXPECT_TRUE(ResourcePatternMatches("/a/*", "/a/b"));
  EXPECT_TRUE(ResourcePatternMatches("/a/*", "/a/bcd"));
  EXPECT_FALSE(ResourcePatternMatches("/a/*", "/a/"));
  EXPECT_FALSE(ResourcePatternMatches("/a/*", "/a/b/c"));
  EXPECT_TRUE(ResourcePatternMatches("/a/b", "/a/b"));
  EXPECT_FALSE(ResourcePatternMatches("/a/b", "/a/bc"));
  EXPECT_FALSE(ResourcePatternMatches("/a/b", "/a"));
  EXPECT_FALSE(ResourcePatternMatches("/a/x*y", "/a/xzy"));  // a "*" runs to the end of its segment
}

}  // namespace
}  // namespace kel
