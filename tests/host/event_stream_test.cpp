// The event stream in-process: what the plug-in publishes through the host
// table reaches every reader of /host/v1/events, in order, each event once
// under its own name.
#include <gtest/gtest.h>

#include <httplib.h>

#include "host/host_core.h"
#include "host/host_value_json.h"
#include "host/http_server.h"

namespace kel::host {
namespace {

void Publish(HostCore& core, const char* name, const char* uri, const char* type) {
  const Result<Json> event =
      ParseJson(std::string(R"({"uri":")") + uri + R"(","eventType":")" + type + R"(","data":{"n":7}})");
  const EncodedHostValue payload(event.Value());
  OutgoingEventRecord record{};
  record.name = name;
  record.payload = payload.Get();
  core.Bus().Publish(record);
}

// The host with the plug-in loaded, not logged in, serving on a free port.
class HostEventStream : public ::testing::Test {
 protected:
  void SetUp() override {
    const Outcome started = core.Start();
    ASSERT_TRUE(started.Ok()) << started.Message();
    port = server.Bind("127.0.0.1", 0);
    ASSERT_NE(port, 0);
    server.Start();
  }
  void TearDown() override {
    server.Stop();  // ends the open streams, then stops
    core.Close();
  }

  const HostOptions options{.module_path = KEL_MODULE_PATH, .auto_login = false};
  HostLog log{nullptr};
  HostCore core{options, log};
  HttpServer server{core, options};
  uint16_t port = 0;
};

TEST_F(HostEventStream, ReplaysWhatThePluginPublishedInOrderAndFiltersByName) {
  Publish(core, "OnJsonApiEvent_a_v1_b", "/a/v1/b", "Create");
  Publish(core, "OnJsonApiEvent", "/a/v1/b", "Create");
  Publish(core, "OnJsonApiEvent_a_v1_b", "/a/v1/b", "Update");

  httplib::Client client("127.0.0.1", port);
  std::string text;
  client.Get("/host/v1/events?since=0&name=OnJsonApiEvent_", [&](const char* data, size_t length) {
    text.append(data, length);
    return text.find("Update") == std::string::npos;
  });
  // Event 2 goes by the general name only and is left out.
  EXPECT_EQ(text.substr(0, text.find("Update") + 6),
            "id: 1\nevent: OnJsonApiEvent_a_v1_b\n"
            R"(data: {"name":"OnJsonApiEvent_a_v1_b","uri":"/a/v1/b","eventType":"Create","data":{"n":7}})"
            "\n\nid: 3\nevent: OnJsonApiEvent_a_v1_b\n"
            R"(data: {"name":"OnJsonApiEvent_a_v1_b","uri":"/a/v1/b","eventType":"Update)");
}

TEST_F(HostEventStream, AReaderBehindTheBoundIsToldWhichIdsItLost) {
  // More than the hub keeps by count: the oldest go.
  const uint64_t first = core.Hub().LastSequence() + 1;
  for (int i = 0; i < 20003; ++i) core.Hub().Add("OnJsonApiEvent_a", R"({"n":1})");
  const uint64_t lost_through = first + 2;

  httplib::Client client("127.0.0.1", port);
  std::string text;
  client.Get("/host/v1/events?since=0&name=Nothing", [&](const char* data, size_t length) {
    text.append(data, length);
    return text.find("\n\n") == std::string::npos;
  });
  EXPECT_EQ(text.substr(0, text.find("\n\n")), "id: " + std::to_string(lost_through) +
                                                   "\nevent: host-events-dropped\ndata: "
                                                   R"({"name":"host-events-dropped","after":0,"through":)" +
                                                   std::to_string(lost_through) + "}");
}

}  // namespace
}  // namespace kel::host
