#include "flows_rig.h"

#include "runtime/event_names.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"

namespace kel::testing {
namespace {

constexpr size_t kMaxPauses = 20;

}  // namespace

BindingValue Json(const std::string& text) { return ParseJson(text.c_str()).Value(); }

std::string ToJson(const BindingValue& value) { return WriteJson(value); }

FlowsRig::FlowsRig() {
  plugin_ = new champions::ChampionPlugin([this](champions::ShutdownSignal& signal, std::chrono::seconds duration) {
    pauses.push_back(duration);
    if (onPause) onPause();
    // A game-data source that never answers would keep the task retrying
    // for ever; end it as a shutdown would.
    if (pauses.size() >= kMaxPauses) signal.Signal();
  });
  plugin_->Enter(record_, "kel-champions");
}

FlowsRig::~FlowsRig() { record_.callbacks->shutdown(record_.context); }

bool FlowsRig::Initialize() { return record_.callbacks->initialize(record_.context, &core.services()) != 0; }

const BindingRegistry& FlowsRig::Registry() const { return plugin_->Registry(); }

TestAnswer FlowsRig::Get(std::string_view function, const std::string& path) const {
  return CallFunction(*record_.api_description, function, path);
}

void FlowsRig::RunLoaders() {
  for (bool ran = true; ran;) {
    ran = false;
    for (const std::string& label : tasks.Pending()) {
      if (label == kTimeoutTask || label == kTimerTask) continue;
      ran = Run(label);
      break;
    }
  }
}

void FlowsRig::Resource(const std::string& uri, PluginResourceEventType eventType, const std::string& json) {
  DeliverEvent(core, ResourceEventName(uri), ResourceEventPayload(uri, eventType, Json(json)));
}

void FlowsRig::Drov(const std::string& className, const std::string& bodyJson) {
  DeliverEvent(core, DrovEventName(className), DrovMessagePayload(className, Json(bodyJson)));
  Run("Event: OnDrovEvent (" + className + ")");
}

}  // namespace kel::testing
