#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <variant>

namespace kel {

// A value recorded with a failure. The property's name says which it is:
// "_str" names hold text, "_int" names hold a number.
using FailureProperty = std::variant<std::string, std::int64_t>;

// One value for a message template: the placeholder "{url}" is replaced by
// the value of the argument named "url".
struct TemplateArgument {
  std::string_view name;
  std::string_view value;
};

// What an outward operation reports instead of its result: an error code (0
// when there is none, otherwise usually the HTTP status), the message, and
// the values that went into the message, so that a caller can log or match
// on them without parsing the text.
class [[nodiscard]] Failure {
 public:
  using Properties = std::map<std::string, FailureProperty, std::less<>>;

  Failure() = default;
  // A non-zero code is also recorded as the property "errorCode_int".
  Failure(std::int32_t code, std::string message);

  // Fills a template with named placeholders in braces ("Error response for
  // {method} {url}: {error}"). Every placeholder that has an argument is
  // replaced by its value and recorded as the property "<name>_str"; a
  // placeholder without an argument stays in the text as it is. Values are
  // inserted verbatim: braces inside a value are not placeholders.
  static Failure FromTemplate(std::int32_t code, std::string_view messageTemplate,
                              std::initializer_list<TemplateArgument> arguments);

  std::int32_t Code() const { return code_; }
  const std::string& Message() const { return message_; }
  const Properties& GetProperties() const { return properties_; }
  // The property of that name (with its suffix), or null.
  const FailureProperty* FindProperty(std::string_view name) const;

 private:
  std::int32_t code_ = 0;
  std::string message_;
  Properties properties_;
};

}  // namespace kel
