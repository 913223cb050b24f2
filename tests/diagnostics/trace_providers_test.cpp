#include "diagnostics/trace_providers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process_info.h"

namespace kel::log {
namespace {

// A facility that enables the second provider as soon as it registers and
// records what the providers do.
struct RecordingFacility {
  static inline std::vector<uint32_t> registered;
  static inline std::vector<uint64_t> unregistered;
  static inline std::vector<std::string> thread_names;
  static inline uint32_t named_thread = 0;

  static bool Register(const platform::TraceGuid& id, platform::TraceEnableCallback callback, void* context,
                       uint64_t* handle) {
    registered.push_back(id.data1);
    *handle = registered.size();
    if (id.data1 == 0xEA08C559) callback(context, true, 4, 0xF0, 0x10);
    return true;
  }
  static void WriteThreadName(uint64_t handle, uint32_t thread_id, const char* name) {
    thread_names.push_back(std::to_string(handle) + ":" + name);
    named_thread = thread_id;
  }
  static void Unregister(uint64_t handle) { unregistered.push_back(handle); }

  static constexpr platform::TraceFacility kTable{&Register, &WriteThreadName, &Unregister};
};

TEST(TraceProviders, OffWithoutAFacilityAndWithOneRegisterAllFourAndNameTheLoadingThreadWhenTheSecondIsEnabled) {
  ASSERT_EQ(platform::CurrentTraceFacility(), nullptr);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_FALSE(TraceProviders().provider(i).registered());
    EXPECT_FALSE(TraceProviders().provider(i).enabled());
  }
  platform::SetTraceFacility(&RecordingFacility::kTable);
  {
    TraceProviders providers;
    EXPECT_EQ(RecordingFacility::registered, (std::vector<uint32_t>{0x2F9EFE86, 0xEA08C559, 0x10F6728C, 0x46DD7F96}));
    const TraceProvider& second = providers.provider(1);
    EXPECT_TRUE(second.enabled());
    EXPECT_EQ(second.level(), 4);
    EXPECT_EQ(second.match_any_keyword(), 0xF0u);
    EXPECT_EQ(second.match_all_keyword(), 0x10u);
    EXPECT_FALSE(providers.provider(0).enabled());
    EXPECT_EQ(RecordingFacility::thread_names, std::vector<std::string>{"2:Main thread"});
    EXPECT_EQ(RecordingFacility::named_thread, platform::CurrentThreadId());
  }
  EXPECT_EQ(RecordingFacility::unregistered, (std::vector<uint64_t>{1, 2, 3, 4}));
  platform::SetTraceFacility(nullptr);
}

}  // namespace
}  // namespace kel::log
