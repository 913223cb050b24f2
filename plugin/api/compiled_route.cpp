#include "api/compiled_route.h"

#include <string_view>

#include "api/url_decode.h"

namespace kel {
namespace {

// Characters that mean something in an ECMAScript expression outside a
// bracket. "{" and "}" only reach here as literals ("{" never does, since it
// always opens a placeholder); escaping them keeps the expression valid.
bool NeedsEscape(char c) { return std::string_view("^$.*+?()[]|\\{}").find(c) != std::string_view::npos; }

enum class PlaceholderKind { kPlain, kRest, kFragment };

std::string_view CaptureFor(PlaceholderKind kind) {
  switch (kind) {
    case PlaceholderKind::kRest: return "(.*)";
    case PlaceholderKind::kFragment: return "#(.*)";
    case PlaceholderKind::kPlain: break;
  }
  return "([^/]*)";
}

// The expression text for a template, with the placeholder names appended
// to `placeholders` in order.
std::string TemplateToExpression(std::string_view path_template, std::vector<std::string>& placeholders) {
  std::string expression;
  expression.reserve(path_template.size() + 16);
  bool in_placeholder = false;
  PlaceholderKind kind = PlaceholderKind::kPlain;
  std::string name;
  for (const char c : path_template) {
    if (!in_placeholder) {
      if (c == '{') {
        in_placeholder = true;
        kind = PlaceholderKind::kPlain;
        name.clear();
        continue;
      }
      if (NeedsEscape(c)) expression.push_back('\\');
      expression.push_back(c);
      continue;
    }
    if (c == '}') {
      expression.append(CaptureFor(kind));
      placeholders.push_back(name);
      in_placeholder = false;
    } else if (name.empty() && kind == PlaceholderKind::kPlain && c == '+') {
      kind = PlaceholderKind::kRest;
    } else if (name.empty() && kind == PlaceholderKind::kPlain && c == '#') {
      kind = PlaceholderKind::kFragment;
    } else {
      name.push_back(c);
    }
  }
  return expression;
}

}  // namespace

CompiledRoute CompiledRoute::Compile(std::string_view path_template) {
  CompiledRoute route;
  if (path_template.size() > 1 && path_template.back() == '/') path_template.remove_suffix(1);
  route.template_.assign(path_template);
  if (path_template.find('{') != std::string_view::npos) {
    route.expression_.emplace(TemplateToExpression(path_template, route.placeholders_),
                              std::regex::ECMAScript | std::regex::optimize);
  }
  return route;
}

std::optional<size_t> CompiledRoute::Match(std::string_view path, PathValues& values) const {
  values.clear();
  if (!expression_) {
    if (path != template_) return std::nullopt;
    return 0;
  }
  std::cmatch groups;
  if (!std::regex_match(path.data(), path.data() + path.size(), groups, *expression_)) {
    return std::nullopt;
  }
  size_t captured = 0;
  for (size_t i = 0; i < placeholders_.size(); ++i) {
    std::string value = UrlDecode(std::string_view(groups[i + 1].first, static_cast<size_t>(groups[i + 1].length())));
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
