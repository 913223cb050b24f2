#pragma once

#include <cstddef>
#include <optional>
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
  // A template without "{" is matched literally; any other is read into
  // pieces: literal texts and one capture per placeholder, matched as the
  // ECMAScript expression with "([^/]*)" for a placeholder, "(.*)" for a
  // rest placeholder and "#(.*)" for a fragment would match. A trailing "/"
  // is dropped first (unless the template is just "/").
  static CompiledRoute Compile(std::string_view path_template);

  // The template as it was normalised at registration.
  const std::string& Template() const { return template_; }

  // Matches the whole of `path` (the part before any "?"). On a match returns
  // the total length of the decoded captured values and stores the values in
  // `values`; otherwise returns nothing and leaves `values` unspecified.
  std::optional<size_t> Match(std::string_view path, PathValues& values) const;

 private:
  // A literal text, or a capture: up to the next "/" (a placeholder), or
  // up to a line end, "\n" or "\r" (a rest or fragment placeholder).
  struct Piece {
    std::string literal;
    bool capture = false;
    bool rest = false;
  };
  bool MatchFrom(std::string_view path, std::size_t piece, std::size_t at,
                 std::vector<std::string_view>& captures) const;

  std::string template_;
  bool literal_ = true;  // no "{" in the template
  std::vector<Piece> pieces_;
  std::vector<std::string> placeholders_;
};

}  // namespace kel
