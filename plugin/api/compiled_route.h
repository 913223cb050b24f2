#pragma once

#include <cstddef>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace kel {

// One placeholder value captured from a request path, already URL-decoded.
struct PathValue {
  std::string name;
  std::string value;
};

// Captured values in placeholder order; a name that occurs twice in a
// template keeps the value of its last occurrence.
using PathValues = std::vector<PathValue>;

// A route's path template in the form requests are matched against. It is
// built once, when the route is registered, and is read-only afterwards, so
// any number of request threads may match against it at once.
class CompiledRoute {
 public:
  // A template without "{" is matched literally; any other is turned into an
  // ECMAScript expression with one capture group per placeholder. A trailing
  // "/" is dropped first (unless the template is just "/").
  static CompiledRoute Compile(std::string_view path_template);

  // The template as it was normalised at registration.
  const std::string& Template() const { return template_; }

  // Matches the whole of `path` (the part before any "?"). On a match returns
  // the total length of the decoded captured values and stores the values in
  // `values`; otherwise returns nothing and leaves `values` unspecified.
  std::optional<size_t> Match(std::string_view path, PathValues& values) const;

 private:
  std::string template_;
  std::optional<std::regex> expression_;  // only when the template has "{"
  std::vector<std::string> placeholders_;
};

}  // namespace kel
