#include "host/minimal_core.h"

#include <time.h>

#include <algorithm>
#include <cstddef>
#include <thread>

namespace kel::host {

namespace {

uint64_t NowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

const char* LevelName(uint32_t level) {
  static constexpr const char* kNames[] = {"OKAY", "WARN", "ERROR", "ALWAYS"};
  return level < 4 ? kNames[level] : "?";
}

const char* Text(const char* text) { return text ? text : ""; }

}  // namespace

MinimalCore::MinimalCore(std::FILE* out, uint32_t plugin_handle)
    : out_(out), services_{&slot_.table, plugin_handle} {
  static_assert(offsetof(TableSlot, table) == 0);
  slot_.core = this;
  slot_.table.send_request = [](HostTable* t, ResponseRecord*, const RequestRecord*) {
    // No other plug-ins live in this host, so nothing can answer; the
    // response record is left as the plug-in prepared it.
    std::fprintf(From(t).out_, "core: SendRequest (no plug-in here to answer)\n");
  };
  slot_.table.reserved = [](HostTable* t, uintptr_t, uintptr_t) {
    std::fprintf(From(t).out_, "core: reserved function called\n");
  };
  slot_.table.publish_event = [](HostTable* t, const OutgoingEventRecord*) {
    std::fprintf(From(t).out_, "core: PublishEvent\n");
  };
  slot_.table.subscribe_event = [](HostTable* t, const char* name, uint32_t, EventCallbackFn, void*,
                                   uint32_t flag) {
    std::fprintf(From(t).out_, "core: SubscribeEvent %s (flag %u)\n", Text(name), flag);
  };
  slot_.table.unsubscribe_event = [](HostTable* t, const char* name, uint32_t) {
    std::fprintf(From(t).out_, "core: UnsubscribeEvent %s\n", Text(name));
  };
  slot_.table.schedule_callback = [](HostTable* t, const char* label, TaskCallbackFn callback, void* context,
                                     double delay_seconds, uint32_t) {
    MinimalCore& core = From(t);
    const double delay = std::max(delay_seconds, 0.0);
    core.tasks_.push_back({Text(label), callback, context, NowNs() + static_cast<uint64_t>(delay * 1e9)});
    std::fprintf(core.out_, "core: ScheduleCallback %s in %.3f s\n", Text(label), delay);
  };
  slot_.table.pump_host = [](HostTable* t) { From(t).RunDueTasks(); };
  slot_.table.begin_wait = [](HostTable* t, const char* label, uint32_t) {
    std::fprintf(From(t).out_, "core: BeginWait %s\n", Text(label));
  };
  slot_.table.end_wait = [](HostTable* t) { std::fprintf(From(t).out_, "core: EndWait\n"); };
  slot_.table.write_log = [](HostTable* t, uint32_t level, const char* text) {
    std::fprintf(From(t).out_, "log %s: %s\n", LevelName(level), Text(text));
    std::fflush(From(t).out_);
  };
}

bool MinimalCore::RunDueTasks() {
  bool ran = false;
  for (;;) {
    const uint64_t now = NowNs();
    auto due = std::min_element(tasks_.begin(), tasks_.end(),
                                [](const Task& a, const Task& b) { return a.due_ns < b.due_ns; });
    if (due == tasks_.end() || due->due_ns > now) return ran;
    // Taken off the list before it runs: a task may schedule more tasks.
    const Task task = *due;
    tasks_.erase(due);
    std::fprintf(out_, "core: running %s\n", task.label.c_str());
    task.callback(task.context);
    ran = true;
  }
}

size_t MinimalCore::RunTasks(uint64_t budget_ms) {
  const uint64_t end = NowNs() + budget_ms * 1000000u;
  while (!tasks_.empty() && NowNs() < end) {
    if (!RunDueTasks()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return tasks_.size();
}

}  // namespace kel::host
