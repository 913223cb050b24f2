#pragma once

#include <string_view>

namespace kel {

// Whether a resource path matches a listener pattern in which "*" stands for
// the rest of one path segment. A "*" takes at least one character when the
// path has one left in that segment, never takes a "/", and a path that ends
// exactly where a "*" begins does not match: "/a/*" matches "/a/b" but
// neither "/a/" nor "/a/b/c"; "/a/*/c" matches "/a//c".
bool ResourcePatternMatches(std::string_view pattern, std::string_view path);

}  // namespace kel
