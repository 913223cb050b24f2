#include "serialization/json_error_texts.h"

#include <iterator>

namespace kel {

namespace {

// Indexed by the reader's error code. Callers and logs match on these exact
// words, so they are spelled out here rather than taken from the library's
// optional localisation header.
constexpr const char* kTexts[] = {
    "No error.",
    "The document is empty.",
    "The document root must not be followed by other values.",
    "Invalid value.",
    "Missing a name for object member.",
    "Missing a colon after a name of object member.",
    "Missing a comma or '}' after an object member.",
    "Missing a comma or ']' after an array element.",
    "Incorrect hex digit after \\u escape in string.",
    "The surrogate pair in string is invalid.",
    "Invalid escape character in string.",
    "Missing a closing quotation mark in string.",
    "Invalid encoding in string.",
    "Number too big to be stored in double.",
    "Miss fraction part in number.",
    "Miss exponent in number.",
    "Terminate parsing due to Handler error.",
    "Unspecific syntax error.",
};

}  // namespace

const char* JsonParseErrorText(int code) {
  if (code < 0 || code >= static_cast<int>(std::size(kTexts))) return "Unknown error.";
  return kTexts[code];
}

}  // namespace kel
