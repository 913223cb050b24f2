// kel-host decode: the plug-in's readers on bytes from a file or standard
// input.
#include <gtest/gtest.h>

#include <fstream>

#include "host_process.h"

namespace kel::host::testing {
namespace {

TEST(HostDecode, PrintsWhatEachReaderMakesOfTheBytesAsCompactJson) {
  EXPECT_EQ(RunKelHost({"decode", "--as", "json"}, R"({ "b": [1, 2.5, "x"], "a": null })").out,
            "{\"a\":null,\"b\":[1,2.5,\"x\"]}\n");
  EXPECT_EQ(RunKelHost({"decode", "--as", "yaml"}, "a: [1, 2]\nb: text\n").out, "{\"a\":[1,2],\"b\":\"text\"}\n");
  EXPECT_EQ(RunKelHost({"decode", "--as", "msgpack"}, std::string("\x81\xA1"
                                                                  "a\x01",
                                                                  4))
                .out,
            "{\"a\":1}\n");

  const std::string file = ::testing::TempDir() + "/kel-decode-body.json";
  std::ofstream(file) << "[true]";
  EXPECT_EQ(RunKelHost({"decode", "--as", "json", file}).out, "[true]\n");
}

TEST(HostDecode, ReportsTheReadersMessageAndFails) {
  const CommandResult json = RunKelHost({"decode", "--as", "json"}, "{\"a\": }");
  EXPECT_EQ(json.exit_status, 1);
  EXPECT_TRUE(json.out.empty());
  EXPECT_EQ(json.err.rfind("Error: ", 0), 0u) << json.err;

  const CommandResult extra = RunKelHost({"decode", "--as", "msgpack"}, std::string("\x91\x01\x02", 3));
  EXPECT_EQ(extra.exit_status, 1);
  EXPECT_EQ(extra.err, "Extra MessgePack data found in body\n");

  EXPECT_NE(RunKelHost({"decode", "--as", "xml"}, "<a/>").exit_status, 0);
  EXPECT_NE(RunKelHost({"decode", "--as", "json", "/nonexistent/body.json"}).exit_status, 0);
}

}  // namespace
}  // namespace kel::host::testing
