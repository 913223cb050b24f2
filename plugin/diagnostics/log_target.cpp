#include "diagnostics/log_target.h"

#include "diagnostics/log.h"

namespace kel::log {

void LogTarget::SetThreshold(uint32_t level) {
  std::lock_guard lock(mutex_);
  threshold_ = level;
}

uint32_t LogTarget::Threshold() const {
  std::lock_guard lock(mutex_);
  return threshold_;
}

void LogTarget::SetGroupMasks(uint64_t included, uint64_t excluded) {
  std::lock_guard lock(mutex_);
  included_groups_ = included;
  excluded_groups_ = excluded;
}

uint64_t LogTarget::IncludedGroups() const {
  std::lock_guard lock(mutex_);
  return included_groups_;
}

uint64_t LogTarget::ExcludedGroups() const {
  std::lock_guard lock(mutex_);
  return excluded_groups_;
}

void LogTarget::Attach() { AttachTarget(this); }
void LogTarget::Detach() { DetachTarget(this); }

bool LogTarget::IsAttached() const {
  std::lock_guard lock(mutex_);
  return attached_;
}

const LogTargetFunctions& LogTarget::Functions() {
  static constexpr LogTargetFunctions kFunctions = {
      [](LogTarget* target, uint32_t level) { target->SetThreshold(level); },
      [](const LogTarget* target) { return target->Threshold(); },
      [](LogTarget* target, uint64_t included, uint64_t excluded) { target->SetGroupMasks(included, excluded); },
      [](const LogTarget* target, uint64_t* included, uint64_t* excluded) {
        if (included) *included = target->IncludedGroups();
        if (excluded) *excluded = target->ExcludedGroups();
      },
      [](const LogTarget* target) { return target->GetName(); },
      [](LogTarget* target) { target->Attach(); },
      [](LogTarget* target) { target->Detach(); },
      [](const LogTarget* target) { return target->IsAttached(); },
      [](LogTarget* target, const LogRecord* record) { return target->Write(*record); },
  };
  return kFunctions;
}

}  // namespace kel::log
