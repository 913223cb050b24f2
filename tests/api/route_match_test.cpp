#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/compiled_route.h"
#include "api/route_match.h"

namespace kel {
namespace {

std::optional<RouteMatch> MatchOne(const CompiledRoute& route, std::string_view path,
                                   RequestMethod method = RequestMethod::kGet,
                                   RequestMethod route_method = RequestMethod::kAny) {
  const RouteEntry entry{&route, route_method, {}};
  return MatchRoute(std::span(&entry, 1), RequestLine{method, {}, path});
}

// The expression a template compiles to is the matcher's own business; what
// shows is that every other character matches only itself.
TEST(CompiledRoute, EscapesEverythingButThePlaceholders) {
  const CompiledRoute route = CompiledRoute::Compile("/x(1)|[^$]*?.+\\}/{id}");
  EXPECT_TRUE(MatchOne(route, "/x(1)|[^$]*?.+\\}/7"));
  EXPECT_FALSE(MatchOne(route, "/x(1)|[^$]*?a+\\}/7"));
}

TEST(CompiledRoute, DropsTrailingSlashExceptForTheRoot) {
  EXPECT_EQ(CompiledRoute::Compile("/a/{id}/").Template(), "/a/{id}");
  EXPECT_EQ(CompiledRoute::Compile("/").Template(), "/");
  EXPECT_TRUE(MatchOne(CompiledRoute::Compile("/a/b/"), "/a/b"));
  EXPECT_FALSE(MatchOne(CompiledRoute::Compile("/a/b/"), "/a/b/"));
}

TEST(RouteMatch, DecodesPlaceholderValues) {
  const CompiledRoute route = CompiledRoute::Compile("/a/{id}/b");
  for (const char* path : {"/a/x%20y/b", "/a/x+y/b"}) {
    const auto match = MatchOne(route, path);
    ASSERT_TRUE(match) << path;
    ASSERT_EQ(match->values.size(), 1u);
    EXPECT_EQ(match->values[0].name, "id");
    EXPECT_EQ(match->values[0].value, "x y");
  }
  const auto hex = MatchOne(route, "/a/%2f%2F%4a%zz%4/b");
  ASSERT_TRUE(hex);
  EXPECT_EQ(hex->values[0].value, "//J%zz%4");
  EXPECT_EQ(MatchOne(route, "/a//b").value().values.at(0).value, "");
  EXPECT_FALSE(MatchOne(route, "/a/x/y/b"));
  EXPECT_FALSE(MatchOne(route, "/a/x/bc"));
}

TEST(RouteMatch, RestAndFragmentPlaceholders) {
  EXPECT_EQ(MatchOne(CompiledRoute::Compile("/files/{+path}"), "/files/a/b/c").value().values.at(0).value, "a/b/c");
  const CompiledRoute fragment = CompiledRoute::Compile("/doc{#part}");
  const auto with_hash = MatchOne(fragment, "/doc#intro/x");
  ASSERT_TRUE(with_hash);
  EXPECT_EQ(with_hash->values[0].name, "part");
  EXPECT_EQ(with_hash->values[0].value, "intro/x");
  EXPECT_FALSE(MatchOne(fragment, "/docintro"));
}

TEST(RouteMatch, MethodMustFit) {
  const CompiledRoute route = CompiledRoute::Compile("/a");
  EXPECT_TRUE(MatchOne(route, "/a", RequestMethod::kPost, RequestMethod::kAny));
  EXPECT_FALSE(MatchOne(route, "/a", RequestMethod::kPost, RequestMethod::kGet));
  const RouteEntry custom{&route, RequestMethod::kCustom, "PURGE"};
  EXPECT_TRUE(MatchRoute(std::span(&custom, 1), {RequestMethod::kCustom, "PURGE", "/a"}));
  EXPECT_FALSE(MatchRoute(std::span(&custom, 1), {RequestMethod::kCustom, "FETCH", "/a"}));
}

TEST(RouteMatch, ShortestCaptureWinsAndEarlierOnTie) {
  const CompiledRoute any = CompiledRoute::Compile("/{+all}");
  const CompiledRoute two = CompiledRoute::Compile("/{a}/{b}");
  const CompiledRoute one = CompiledRoute::Compile("/x/{b}");
  const CompiledRoute literal = CompiledRoute::Compile("/x/y");
  const std::vector<RouteEntry> entries = {{&any, RequestMethod::kAny, {}},
                                           {&two, RequestMethod::kAny, {}},
                                           {&one, RequestMethod::kAny, {}},
                                           {&one, RequestMethod::kAny, {}}};
  const auto best = MatchRoute(entries, {RequestMethod::kGet, {}, "/x/yy"});
  ASSERT_TRUE(best);
  EXPECT_EQ(best->index, 2u);
  std::vector<RouteEntry> with_literal = entries;
  with_literal.insert(with_literal.begin() + 1, {&literal, RequestMethod::kAny, {}});
  const auto exact = MatchRoute(with_literal, {RequestMethod::kGet, {}, "/x/y"});
  ASSERT_TRUE(exact);
  EXPECT_EQ(exact->index, 1u);
}

TEST(RouteMatch, RefusesPathsLongerThanTheBound) {
  const CompiledRoute route = CompiledRoute::Compile("/a/{id}/b");
  const std::string longest = "/a/" + std::string(kMaxMatchedPathLength - 5, 'x') + "/b";
  EXPECT_TRUE(MatchOne(route, longest));
  const CompiledRoute rest = CompiledRoute::Compile("/{+all}");
  EXPECT_TRUE(MatchOne(rest, longest));
  EXPECT_FALSE(MatchOne(rest, longest + "y"));
}

}  // namespace
}  // namespace kel
