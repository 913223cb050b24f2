#pragma once

#include <string>
#include <string_view>

namespace kel {

// Decodes a path value or a query-string part: "+" becomes a space and "%"
// followed by two hexadecimal digits (either case) becomes that byte. A "%"
// without two digits after it is kept as it is.
std::string UrlDecode(std::string_view text);

}  // namespace kel
