// The OpenAPI document of the plug-in's routes, judged by the validators
// the test set-up installs (tests/host/openapi): it is valid OpenAPI, it
// covers every route, and the answers for the generated world conform to it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "host_process.h"

namespace kel::host::testing {
namespace {

TEST(HostOpenApi, IsValidAndEveryRouteAnswersAsItSays) {
  ASSERT_TRUE(std::filesystem::exists(KEL_OPENAPI_CHECK_DIR "/node_modules"))
      << "the validators are missing: run scripts/install-deps.sh test";
  HostProcess host;
  ASSERT_TRUE(WaitForFullList(host)) << host.Output();
  const std::string command =
      "node " KEL_OPENAPI_CHECK_DIR "/check.mjs http://127.0.0.1:" + std::to_string(host.Port()) + " 2>&1";
  FILE* check = popen(command.c_str(), "r");
  ASSERT_NE(check, nullptr);
  std::string output;
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, check)) > 0;) output.append(chunk, n);
  EXPECT_EQ(pclose(check), 0) << output;
}

}  // namespace
}  // namespace kel::host::testing
