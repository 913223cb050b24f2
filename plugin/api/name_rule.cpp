#include "api/name_rule.h"

namespace kel {

namespace {

// ASCII only: names must not depend on the process's locale.
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string ApplyNameRule(std::string_view method, std::string_view text) {
  std::string source;
  if (!method.empty()) {
    source += method[0];
    for (char c : method.substr(1)) source += AsciiLower(c);
    source += '/';
  }
  source += text;

  std::string name;
  bool capitalise = true;
  for (char c : source) {
    switch (c) {
      case '!':
      case '+':
      case '-':
      case '.':
      case '/':
      case '_': capitalise = true; break;
      case '{':
        name += "By";
        capitalise = true;
        break;
      case '}': break;
      default:
        name += capitalise ? AsciiUpper(c) : c;
        capitalise = false;
        break;
    }
  }
  return name;
}

}  // namespace kel
