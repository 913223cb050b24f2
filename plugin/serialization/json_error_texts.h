// English texts for the JSON reader's error codes, quoted in parse failures
// as "Error: <text> at offset <n>.".
#pragma once

namespace kel {

// The text for a parse error code of the JSON reader; "Unknown error." for
// codes it does not define.
const char* JsonParseErrorText(int code);

}  // namespace kel
