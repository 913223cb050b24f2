#pragma once
// Parses generated text with RapidJSON and fails the test on a parse error.

#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <string>

namespace kel::datagen::testing {

inline rapidjson::Document ParseJson(const std::string& text) {
    rapidjson::Document document;
    document.Parse(text.data(), text.size());
    EXPECT_FALSE(document.HasParseError())
        << rapidjson::GetParseError_En(document.GetParseError()) << " at "
        << document.GetErrorOffset();
    return document;
}

}  // namespace kel::datagen::testing
