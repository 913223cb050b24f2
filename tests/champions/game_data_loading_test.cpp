// The game-data task: retries without limit with growing pauses, telemetry
// for every failure, and an end at shutdown that merges nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "champions/shutdown_signal.h"
#include "flows_rig.h"

namespace kel::testing {
namespace {

using std::chrono::seconds;

constexpr const char* kChampion7 = "/kel-game-data/assets/v1/champions/7.json";
constexpr const char* kChampion9 = "/kel-game-data/assets/v1/champions/9.json";

std::vector<std::string> TelemetryOf(const FlowsRig& rig, const std::string& event) {
  std::vector<std::string> bodies;
  for (const SentRequest& request : rig.RequestsTo("/telemetry/v1/events/" + event)) {
    bodies.push_back(ToJson(request.arguments.at(0)));
  }
  return bodies;
}

TEST(GameDataLoadingTest, PausesGrowByTenSecondsUpToAMinuteAndEachFailureIsReported) {
  FlowsRig rig;
  for (int i = 0; i < 8; ++i) rig.AnswerError(kSummaryUrl, "down " + std::to_string(i));
  rig.AnswerJson(kSummaryUrl, R"([{"id":7}])");
  rig.AnswerError(kChampion7, "gone");
  rig.AnswerError(kChampion7, "gone again");
  rig.AnswerJson(kChampion7, R"({"id":7,"name":"Seven"})");
  // Opening the gate lets the merge show up as a publication.
  rig.AnswerJson(kSessionUri, R"({"state":"SUCCEEDED","summonerId":5,"accountId":6})");
  ASSERT_TRUE(rig.Initialize());
  ASSERT_TRUE(rig.Run(kTimeoutTask));
  ASSERT_TRUE(rig.Run(kGameDataTask));

  EXPECT_EQ(rig.pauses, (std::vector<seconds>{seconds(0), seconds(10), seconds(20), seconds(30), seconds(40),
                                              seconds(50), seconds(60), seconds(60), seconds(0), seconds(10)}));
  const auto failure = [](const std::string& url, const char* error) {
    return "Error response for GET " + url + ": " + error;
  };
  const std::vector<std::string> summaryTelemetry = TelemetryOf(rig, "zbt_fe_kel_champions_failedLoadingGameData");
  ASSERT_EQ(summaryTelemetry.size(), 8u);
  EXPECT_EQ(summaryTelemetry[0], R"({"error":")" + failure(kSummaryUrl, "down 0") + R"(","retryCount":"0"})");
  EXPECT_NE(summaryTelemetry[7].find(R"("retryCount":"7")"), std::string::npos);
  // The retry counter starts again at 0 for each champion.
  EXPECT_EQ(TelemetryOf(rig, "zbt_fe_kel_champions_failedLoadingGameDataChampion"),
            (std::vector<std::string>{
                R"({"champion":"7","error":")" + failure(kChampion7, "gone") + R"(","retryCount":"0"})",
                R"({"champion":"7","error":")" + failure(kChampion7, "gone again") + R"(","retryCount":"1"})"}));
  EXPECT_TRUE(rig.Logged("Error requesting champion summary data: " + failure(kSummaryUrl, "down 3")));
  EXPECT_TRUE(rig.Logged("Error requesting champion data for 7: " + failure(kChampion7, "gone again")));

  const std::vector<PublishedEvent> published = rig.Published();
  ASSERT_GE(published.size(), 3u);
  EXPECT_TRUE(published.back().uri.ends_with("/champions-playable-count"));
  EXPECT_EQ(published[published.size() - 3].data.Get(0).Find("name").GetString(), "Seven");
}

TEST(GameDataLoadingTest, ShutdownDuringAPauseEndsTheTaskWithoutMergingOrRestarting) {
  FlowsRig rig;
  rig.AnswerJson(kSummaryUrl, R"([{"id":7},{"id":9}])");
  rig.AnswerJson(kChampion7, R"({"id":7})");
  rig.AnswerError(kChampion9, "gone");
  rig.AnswerJson(kSessionUri, R"({"state":"SUCCEEDED","summonerId":5,"accountId":6})");
  ASSERT_TRUE(rig.Initialize());
  rig.onPause = [&rig] {
    if (rig.pauses.size() == 2) rig.Resource(kPreShutdownUri, kUpdate, "{}");
  };
  ASSERT_TRUE(rig.Run(kGameDataTask));

  EXPECT_EQ(rig.pauses.size(), 2u);
  EXPECT_EQ(rig.RequestsTo(kChampion9).size(), 2u);
  ASSERT_TRUE(rig.Run(kTimeoutTask));
  EXPECT_EQ(rig.Published().at(0).data.Size(), 0u) << "champion 7 was merged although loading ended";
}

// A shutdown announced before the task starts ends it at its first pause; so
// does one delivered on the task's own thread while a streamed reply yields
// to the core, which must not wait for the loading lock this thread holds.
TEST(GameDataLoadingTest, AShutdownAnnouncedBeforeOrDuringAStreamedFetchEndsTheTaskAtItsFirstPause) {
  for (const bool streamed : {false, true}) {
    SCOPED_TRACE(streamed ? "during a streamed fetch" : "announced before");
    FlowsRig rig;
    ScriptedResponse reply;
    reply.stream = std::vector<StreamRead>{{"[{\"id\":7}", true}, {"] not json", false}};
    streamed ? rig.script.Answer(kSummaryUrl, reply) : rig.AnswerError(kSummaryUrl, "down");
    if (!streamed) rig.AnswerJson(kPreShutdownUri, "{}");
    ASSERT_TRUE(rig.Initialize());
    if (streamed) rig.core.on_pump_host = [&rig] { rig.Resource(kPreShutdownUri, kUpdate, "{}"); };
    ASSERT_TRUE(rig.Run(kGameDataTask));
    EXPECT_EQ(rig.pauses, std::vector<seconds>{seconds(0)});
    EXPECT_EQ(rig.RequestsTo(kSummaryUrl).size(), 1u);
  }
}

TEST(GameDataLoadingTest, AnEmptySummaryStillCompletesTheLoadAndRefreshes) {
  FlowsRig rig;
  rig.AnswerJson(kSummaryUrl, "[]");
  rig.AnswerJson(kSessionUri, R"({"state":"SUCCEEDED","summonerId":5,"accountId":6})");
  ASSERT_TRUE(rig.Initialize());
  ASSERT_TRUE(rig.Run(kTimeoutTask));
  const size_t before = rig.Published().size();
  ASSERT_TRUE(rig.Run(kGameDataTask));
  EXPECT_EQ(rig.Published().size(), before + 3);
}

TEST(ShutdownSignalTest, WakesAWaiterOnAnotherThreadAtOnce) {
  champions::ShutdownSignal signal;
  const auto start = std::chrono::steady_clock::now();
  std::thread waiter([&signal] { signal.WaitFor(seconds(60)); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  signal.Signal();
  waiter.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, seconds(30));
  // Once set, waits no longer block at all.
  signal.WaitFor(seconds(60));
  EXPECT_TRUE(signal.IsSet());
}

}  // namespace
}  // namespace kel::testing
