#include "api/failure.h"
#include "api/maybe_type.h"

#include <gtest/gtest.h>

#include <string>

namespace kel {
namespace {

std::string TextProperty(const Failure& failure, std::string_view name) {
  const FailureProperty* property = failure.FindProperty(name);
  if (property == nullptr || !std::holds_alternative<std::string>(*property)) return "<missing>";
  return std::get<std::string>(*property);
}

TEST(FailureTest, TemplateFillsNamedPlaceholdersAndRecordsThemAsTextProperties) {
  const Failure failure = Failure::FromTemplate(
      503, "Error response for {method} {url}: {error}",
      {{"method", "GET"}, {"url", "/a/{url}"}, {"error", "gone {method}"}});
  EXPECT_EQ(failure.Code(), 503);
  EXPECT_EQ(failure.Message(), "Error response for GET /a/{url}: gone {method}");
  EXPECT_EQ(TextProperty(failure, "method_str"), "GET");
  EXPECT_EQ(TextProperty(failure, "url_str"), "/a/{url}");
  EXPECT_EQ(TextProperty(failure, "error_str"), "gone {method}");
  ASSERT_NE(failure.FindProperty("errorCode_int"), nullptr);
  EXPECT_EQ(std::get<std::int64_t>(*failure.FindProperty("errorCode_int")), 503);
  EXPECT_EQ(failure.GetProperties().size(), 4u);
}

TEST(FailureTest, CodeZeroAndUnknownOrOpenPlaceholdersStayAsWritten) {
  const Failure failure = Failure::FromTemplate(0, "{known} {unknown} {open", {{"known", "x"}});
  EXPECT_EQ(failure.Message(), "x {unknown} {open");
  EXPECT_EQ(failure.FindProperty("errorCode_int"), nullptr);
  EXPECT_EQ(failure.FindProperty("unknown_str"), nullptr);
  EXPECT_EQ(failure.GetProperties().size(), 1u);
}

TEST(MaybeTypeTest, HoldsEitherTheValueOrTheFailure) {
  MaybeType<Failure, std::string> value = std::string("v");
  MaybeType<Failure, std::string> failed = Failure(400, "bad");
  MaybeType<Failure, Nothing> nothing;
  EXPECT_FALSE(value.IsFailure());
  EXPECT_EQ(value.Value(), "v");
  EXPECT_TRUE(failed.IsFailure());
  EXPECT_FALSE(static_cast<bool>(failed));
  EXPECT_EQ(failed.GetFailure().Message(), "bad");
  EXPECT_TRUE(static_cast<bool>(nothing));
}

}  // namespace
}  // namespace kel
