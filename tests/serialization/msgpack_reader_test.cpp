#include "serialization/msgpack_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serialization/json_writer.h"
#include "support/binding_values.h"

namespace kel {
namespace {

using Bytes = std::vector<unsigned char>;

BindingResult Decode(const Bytes& bytes, size_t* consumed = nullptr) {
  return DecodeMsgPack(bytes.data(), bytes.size(), consumed);
}

std::string ErrorOf(const Bytes& bytes) { return testing::FailureOf(Decode(bytes)); }
std::string JsonOf(const Bytes& bytes) { return testing::JsonOf(Decode(bytes)); }

TEST(MsgPackReader, ScalarsByFirstByte) {
  struct Case {
    Bytes bytes;
    BindingValueKind kind;
    std::string json;
  };
  const Case cases[] = {
      {{0x05}, BindingValueKind::kSigned, "5"},
      {{0x7F}, BindingValueKind::kSigned, "127"},
      {{0xFF}, BindingValueKind::kSigned, "-1"},
      {{0xE0}, BindingValueKind::kSigned, "-32"},
      {{0xCC, 0x05}, BindingValueKind::kUnsigned, "5"},
      {{0xCD, 0x01, 0x02}, BindingValueKind::kUnsigned, "258"},
      {{0xCE, 0xFF, 0xFF, 0xFF, 0xFF}, BindingValueKind::kUnsigned, "4294967295"},
      {{0xCF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, BindingValueKind::kUnsigned, "18446744073709551615"},
      {{0xD0, 0x80}, BindingValueKind::kSigned, "-128"},
      {{0xD1, 0xFF, 0x00}, BindingValueKind::kSigned, "-256"},
      {{0xD2, 0x80, 0, 0, 0}, BindingValueKind::kSigned, "-2147483648"},
      {{0xD3, 0x80, 0, 0, 0, 0, 0, 0, 0}, BindingValueKind::kSigned, "-9223372036854775808"},
      {{0xCA, 0x3F, 0xC0, 0, 0}, BindingValueKind::kFloat, "1.5"},
      {{0xCB, 0x40, 0x04, 0, 0, 0, 0, 0, 0}, BindingValueKind::kFloat, "2.5"},
      {{0xC2}, BindingValueKind::kBool, "false"},
      {{0xC3}, BindingValueKind::kBool, "true"},
      {{0xA2, 'h', 'i'}, BindingValueKind::kString, "\"hi\""},
      {{0xD9, 0x01, 'x'}, BindingValueKind::kString, "\"x\""},
      {{0xDA, 0x00, 0x01, 'x'}, BindingValueKind::kString, "\"x\""},
      {{0xDB, 0, 0, 0, 0x01, 'x'}, BindingValueKind::kString, "\"x\""},
      {{0xC4, 0x03, 'a', 'b', 'c'}, BindingValueKind::kBlob, "\"YWJj\""},
      {{0xC5, 0x00, 0x01, 'a'}, BindingValueKind::kBlob, "\"YQ==\""},
      {{0xC6, 0, 0, 0, 0x00}, BindingValueKind::kBlob, "\"\""},
  };
  for (const Case& c : cases) {
    const BindingResult result = Decode(c.bytes);
    ASSERT_TRUE(result.Ok()) << c.json << ": " << result.Message();
    EXPECT_EQ(result.Value().Kind(), c.kind) << c.json;
    EXPECT_EQ(WriteJson(result.Value()), c.json);
  }
  EXPECT_TRUE(Decode({0xC0}).Value().IsEmpty());
  EXPECT_EQ(JsonOf({}), "");  // nothing to read is an empty value
}

TEST(MsgPackReader, Containers) {
  EXPECT_EQ(JsonOf({0x81, 0xA1, 'a', 0x01}), R"({"a":1})");
  EXPECT_EQ(JsonOf({0x91, 0xC0}), "[null]");
  EXPECT_EQ(JsonOf({0x90}), "[]");
  EXPECT_EQ(JsonOf({0x80}), "{}");
  EXPECT_EQ(JsonOf({0xDC, 0x00, 0x02, 0x01, 0x92, 0x02, 0x80}), "[1,[2,{}]]");
  EXPECT_EQ(JsonOf({0xDE, 0x00, 0x02, 0xA1, 'b', 0x90, 0xDA, 0x00, 0x01, 'a', 0xC3}), R"({"a":true,"b":[]})");
  EXPECT_EQ(JsonOf({0xDD, 0, 0, 0, 1, 0xDF, 0, 0, 0, 1, 0xD9, 0x01, 'k', 0x07}), R"([{"k":7}])");
}

TEST(MsgPackReader, RepeatedKeysWriteIntoTheSameMember) {
  // {"a": [1,2,3], "a": [9]}: the later array overwrites from index 0 on.
  EXPECT_EQ(JsonOf({0x82, 0xA1, 'a', 0x93, 1, 2, 3, 0xA1, 'a', 0x91, 9}), R"({"a":[9,2,3]})");
  // {"m": {"x":1,"y":2}, "m": {"y":5,"z":6}}: maps merge.
  EXPECT_EQ(JsonOf({0x82, 0xA1, 'm', 0x82, 0xA1, 'x', 1, 0xA1, 'y', 2, 0xA1, 'm', 0x82, 0xA1, 'y', 5, 0xA1, 'z', 6}),
            R"({"m":{"x":1,"y":5,"z":6}})");
  // A later scalar, nil included, replaces.
  EXPECT_EQ(JsonOf({0x82, 0xA1, 's', 0x91, 1, 0xA1, 's', 0xC3}), R"({"s":true})");
  EXPECT_EQ(JsonOf({0x82, 0xA1, 's', 0x91, 1, 0xA1, 's', 0xC0}), R"({"s":null})");
}

// Keys are texts: each is cut at its first NUL, wherever in the key it sits.
TEST(MsgPackReader, KeysEndAtTheirFirstNul) {
  for (size_t length : {1u, 7u, 8u, 9u, 16u, 23u}) {
    for (size_t nul = 0; nul <= length; ++nul) {
      std::string key(length, 'k');
      if (nul < length) key[nul] = '\0';
      const std::string bytes = std::string("\x81\xD9") + static_cast<char>(length) + key + '\x01';
      const BindingResult result = DecodeMsgPack(bytes.data(), bytes.size());
      ASSERT_TRUE(result.Ok());
      EXPECT_EQ(result.Value().Find(std::string(nul, 'k')).GetSigned(), 1) << length << " " << nul;
    }
  }
}

TEST(MsgPackReader, StopsAfterTheFirstRootValue) {
  size_t consumed = 0;
  const BindingResult result = Decode({0x01, 0x02}, &consumed);
  ASSERT_TRUE(result.Ok());
  EXPECT_EQ(result.Value().GetSigned(), 1);
  EXPECT_EQ(consumed, 1u);
  EXPECT_TRUE(Decode({0x91, 0x01, 0x02}, &consumed).Ok());
  EXPECT_EQ(consumed, 2u);
  EXPECT_TRUE(Decode({0x81, 0xA1, 'a', 0xCD, 0x01, 0x00, 0xFF}, &consumed).Ok());
  EXPECT_EQ(consumed, 6u);
}

TEST(MsgPackReader, InvalidFirstBytes) {
  EXPECT_EQ(ErrorOf({0xC1}), "Invalid MessagePack data at position 1.");
  EXPECT_EQ(ErrorOf({0xD4, 0x00, 0x00}), "Invalid MessagePack data at position 1.");
  for (unsigned char b : {0xC7, 0xC8, 0xC9, 0xD5, 0xD6, 0xD7, 0xD8}) {
    EXPECT_EQ(ErrorOf({0x91, b, 0, 0, 0, 0, 0, 0}), "Invalid MessagePack data at position 2.") << int(b);
  }
  EXPECT_EQ(ErrorOf({0x81, 0x01, 0x02}), "Invalid MessagePack data at position 2. Map keys must be strings.");
  EXPECT_EQ(ErrorOf({0x82, 0xA1, 'a', 1, 0xC4, 0x01, 'b', 2}),
            "Invalid MessagePack data at position 5. Map keys must be strings.");
}

// Every fixed-width field, cut at each possible length.
TEST(MsgPackReader, TruncatedFieldsNameTheirWidthAndPosition) {
  struct Field {
    unsigned char first;
    unsigned width;
  };
  const Field fields[] = {{0xCC, 1}, {0xCD, 2}, {0xCE, 4}, {0xCF, 8}, {0xD0, 1}, {0xD1, 2}, {0xD2, 4},
                          {0xD3, 8}, {0xCA, 4}, {0xCB, 8}, {0xC4, 1}, {0xC5, 2}, {0xC6, 4}, {0xD9, 1},
                          {0xDA, 2}, {0xDB, 4}, {0xDC, 2}, {0xDD, 4}, {0xDE, 2}, {0xDF, 4}};
  for (const Field& f : fields) {
    for (unsigned present = 0; present < f.width; ++present) {
      Bytes bytes = {0x91, f.first};
      bytes.resize(2 + present, 0x00);
      EXPECT_EQ(ErrorOf(bytes), "Invalid MessagePack data. " + std::to_string(f.width * 8) +
                                    "-bit integer value at position 2 is truncated.")
          << int(f.first) << " with " << present;
    }
  }
}

TEST(MsgPackReader, TruncatedPayloads) {
  EXPECT_EQ(ErrorOf({0xD9, 0x05, 'a'}), "Invalid MessagePack data. String of size 5 at position 2 is truncated.");
  EXPECT_EQ(ErrorOf({0xA3, 'a'}), "Invalid MessagePack data. String of size 3 at position 1 is truncated.");
  EXPECT_EQ(ErrorOf({0xDB, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}),
            "Invalid MessagePack data. String of size 4294967295 at position 5 is truncated.");
  EXPECT_EQ(ErrorOf({0xC5, 0x01, 0x00, 'a'}),
            "Invalid MessagePack data. Raw bytes of size 256 at position 3 are truncated.");
  EXPECT_EQ(ErrorOf({0x81, 0xA4, 'k'}), "Invalid MessagePack data. String of size 4 at position 2 is truncated.");
  EXPECT_EQ(ErrorOf({0x81, 0xDA, 0x00}), "Invalid MessagePack data. 16-bit integer value at position 2 is truncated.");
}

// Data that ends inside an array or map is refused like any other
// truncation, naming the innermost open container.
TEST(MsgPackReader, TruncatedContainersAreRefused) {
  EXPECT_EQ(ErrorOf({0x92, 0x01}), "Invalid MessagePack data. Array of 2 elements at position 0 is truncated.");
  EXPECT_EQ(ErrorOf({0x91, 0x82, 0xA1, 'a', 0x01}),
            "Invalid MessagePack data. Map of 2 entries at position 1 is truncated.");
  EXPECT_EQ(ErrorOf({0x81, 0xA1, 'a'}), "Invalid MessagePack data. Map of 1 entries at position 0 is truncated.");
  EXPECT_EQ(ErrorOf({0xDD, 0x0F, 0xFF, 0xFF, 0xFF}),
            "Invalid MessagePack data. Array of 268435455 elements at position 0 is truncated.");
  EXPECT_EQ(ErrorOf({0xDF, 0xFF, 0xFF, 0xFF, 0xFF}),
            "Invalid MessagePack data. Map of 4294967295 entries at position 0 is truncated.");
  // A count that no collection can hold is refused from the header alone.
  EXPECT_EQ(ErrorOf({0xDD, 0x10, 0x00, 0x00, 0x00}),
            "Invalid MessagePack data at position 5. An array is longer than the limit of 268435455 elements.");
}

TEST(MsgPackReader, NestingIsBoundedAt512Levels) {
  Bytes deepest(512, 0x91);
  deepest.push_back(0x01);
  EXPECT_TRUE(Decode(deepest).Ok());

  Bytes hostile(1000000, 0x91);
  EXPECT_EQ(ErrorOf(hostile),
            "Invalid MessagePack data at position 513. Nesting is deeper than the limit of 512 levels.");
}

TEST(MsgPackReader, SniffsMapAndArrayHeadersOnly) {
  const unsigned char yes[] = {0x80, 0x8F, 0x90, 0x9F, 0xDC, 0xDD, 0xDE, 0xDF};
  for (unsigned char b : yes) EXPECT_TRUE(LooksLikeMsgPack(&b, 1)) << int(b);
  const unsigned char no[] = {0x00, 0x7F, 0xA0, 0xC0, 0xDB, 0xE0, '{', '['};
  for (unsigned char b : no) EXPECT_FALSE(LooksLikeMsgPack(&b, 1)) << int(b);
  EXPECT_FALSE(LooksLikeMsgPack(yes, 0));
}

}  // namespace
}  // namespace kel
