#include "runtime/resource_pattern.h"

namespace kel {

bool ResourcePatternMatches(std::string_view pattern, std::string_view path) {
  std::size_t p = 0;
  std::size_t s = 0;
  while (p < pattern.size() && s < path.size()) {
    if (pattern[p] != '*') {
      if (pattern[p] != path[s]) return false;
      ++p;
      ++s;
    } else if (path[s] == '/') {
      ++p;  // the segment ends here: the pattern goes on past the "*"
    } else if (++s == path.size()) {
      ++p;  // the path's last character closes the "*"
    }
  }
  return p == pattern.size() && s == path.size();
}

}  // namespace kel
