// The real host's HTTP side under hostile clients on loopback: each gets a
// clear status or a closed connection within a bounded time, and other
// clients are served meanwhile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_process.h"

namespace kel::host::testing {
namespace {

using std::chrono::milliseconds;

std::string Get(const std::string& target, const std::string& headers = "") {
  return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
}

class HostileClients : public ::testing::Test {
 protected:
  // A well-behaved client is answered at once.
  void ExpectOthersServed() const {
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(host_.Get("/host/v1/status").status, 200);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, Patience(milliseconds(1000)));
  }

  HostProcess host_{{"--no-login"}};
};

// Oversized requests are refused, and a POST with neither body nor length
// (what curl -X POST sends) is served.
TEST_F(HostileClients, RawRequestsGetTheirStatusAtOnce) {
  std::string many_headers;
  for (int i = 0; i < 400; ++i) many_headers += "X-Filler-" + std::to_string(i) + ": 0123456789\r\n";
  const std::string body(9u << 20, '{');
  const std::pair<std::string, std::string> cases[] = {
      {Get("/" + std::string(3000, 'a')), "HTTP/1.1 414 URI Too Long"},
      {Get("/" + std::string(9000, 'a')), "HTTP/1.1 414 URI Too Long"},
      {Get("/host/v1/status", many_headers), "HTTP/1.1 431 Request Header Fields Too Large"},
      {Get("/host/v1/status", "X-Long: " + std::string(9000, 'a') + "\r\n"), "HTTP/1.1 400 Bad Request"},
      {"POST /host/v1/faults HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body,
       "HTTP/1.1 413 Payload Too Large"},
      {"POST /host/v1/faults HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n0\r\n\r\n",
       "HTTP/1.1 411 Length Required"},
      {"POST /host/v1/messages/dynamic-configuration HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", "HTTP/1.1 200 OK"},
  };
  for (const auto& [request, status] : cases) {
    Connection client(host_.Port());
    ASSERT_TRUE(client.Connected());
    client.Send(request);
    EXPECT_EQ(client.StatusLine(Patience(milliseconds(1000))), status) << request.substr(0, 60);
  }
  ExpectOthersServed();
}

TEST_F(HostileClients, AClientThatStopsMidRequestIsAnsweredWithinTheReadTimeout) {
  Connection in_head(host_.Port()), in_body(host_.Port());
  in_head.Send("GET /host/v1/status HTTP/1.1\r\nHost: 127.0.0.1\r\n");
  in_body.Send("POST /host/v1/faults HTTP/1.1\r\nContent-Length: 100\r\n\r\n{");
  ExpectOthersServed();
  EXPECT_EQ(in_head.StatusLine(Patience(milliseconds(5000))), "HTTP/1.1 400 Bad Request");
  EXPECT_EQ(in_body.StatusLine(Patience(milliseconds(5000))), "HTTP/1.1 400 Bad Request");
}

TEST_F(HostileClients, ManyIdleConnectionsNeitherKeepOthersWaitingNorStayOpen) {
  std::vector<std::unique_ptr<Connection>> idle;
  for (int i = 0; i < 200; ++i) idle.push_back(std::make_unique<Connection>(host_.Port()));
  ExpectOthersServed();
  for (const auto& connection : idle) {
    EXPECT_EQ(connection->StatusLine(Patience(milliseconds(7000))), "closed");
  }
}

}  // namespace
}  // namespace kel::host::testing
