#include "api/compiled_route.h"

#include <algorithm>
#include <string_view>

#include "api/url_decode.h"

namespace kel {

CompiledRoute CompiledRoute::Compile(std::string_view path_template) {
  CompiledRoute route;
  if (path_template.size() > 1 && path_template.back() == '/') path_template.remove_suffix(1);
  route.template_.assign(path_template);
  if (path_template.find('{') == std::string_view::npos) return route;
  route.literal_ = false;
  const auto literal = [&route]() -> std::string& {
    if (route.pieces_.empty() || route.pieces_.back().capture) route.pieces_.emplace_back();
    return route.pieces_.back().literal;
  };
  // "{" opens a placeholder, "+" or "#" first in it makes it a rest or a
  // fragment placeholder, "}" closes it; a placeholder left open at the end
  // captures nothing.
  bool in_placeholder = false;
  bool rest = false;
  bool fragment = false;
  std::string name;
  for (const char c : path_template) {
    if (!in_placeholder) {
      if (c == '{') {
        in_placeholder = true;
        rest = fragment = false;
        name.clear();
      } else {
        literal().push_back(c);
      }
      continue;
    }
    if (c == '}') {
      if (fragment) literal().push_back('#');
      route.pieces_.push_back({{}, true, rest || fragment});
      route.placeholders_.push_back(name);
      in_placeholder = false;
    } else if (name.empty() && !rest && !fragment && c == '+') {
      rest = true;
    } else if (name.empty() && !rest && !fragment && c == '#') {
      fragment = true;
    } else {
      name.push_back(c);
    }
  }
  return route;
}

// Backtracking in the expression's order: each capture tries its longest
// run first, so the captures are those the ECMAScript expression gives.
// The depth is the number of pieces, whatever the path's length.
bool CompiledRoute::MatchFrom(std::string_view path, std::size_t piece, std::size_t at,
                              std::vector<std::string_view>& captures) const {
  if (piece == pieces_.size()) return at == path.size();
  const Piece& current = pieces_[piece];
  if (!current.capture) {
    if (path.substr(at, current.literal.size()) != current.literal) return false;
    return MatchFrom(path, piece + 1, at + current.literal.size(), captures);
  }
  const std::string_view rest = path.substr(at);
  const std::size_t longest = std::min(rest.size(), current.rest ? rest.find_first_of("\n\r") : rest.find('/'));
  // A literal next can only start where its first byte is.
  const bool literal_next = piece + 1 < pieces_.size() && !pieces_[piece + 1].literal.empty();
  for (std::size_t length = longest + 1; length-- > 0;) {
    if (literal_next && (at + length >= path.size() || path[at + length] != pieces_[piece + 1].literal[0])) {
      continue;
    }
    if (piece + 1 == pieces_.size() && at + length != path.size()) return false;
    captures.push_back(rest.substr(0, length));
    if (MatchFrom(path, piece + 1, at + length, captures)) return true;
    captures.pop_back();
  }
  return false;
}

std::optional<size_t> CompiledRoute::Match(std::string_view path, PathValues& values) const {
  values.clear();
  if (literal_) {
    if (path != template_) return std::nullopt;
    return 0;
  }
  std::vector<std::string_view> captures;
  captures.reserve(placeholders_.size());
  if (!MatchFrom(path, 0, 0, captures)) return std::nullopt;
  size_t captured = 0;
  values.reserve(placeholders_.size());
  for (size_t i = 0; i < placeholders_.size(); ++i) {
    std::string value = UrlDecode(captures[i]);
    captured += value.size();
    const std::string& name = placeholders_[i];
    auto same = std::find_if(values.begin(), values.end(), [&](const PathValue& v) { return v.name == name; });
    if (same != values.end()) {
      same->value = std::move(value);
    } else {
      values.push_back({name, std::move(value)});
    }
  }
  return captured;
}

}  // namespace kel
