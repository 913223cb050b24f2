#include "diagnostics/trace_providers.h"

#include "platform/process_info.h"

namespace kel::log {

bool TraceProvider::Register(const platform::TraceFacility& facility) {
  // The facility may call OnEnable during registration, so the provider is
  // complete before it is handed over.
  if (!facility.register_provider(id_, &OnEnable, this, &handle_)) return false;
  facility_ = &facility;
  return true;
}

void TraceProvider::Unregister() {
  if (!facility_) return;
  facility_->unregister_provider(handle_);
  facility_ = nullptr;
  enabled_ = false;
}

void TraceProvider::OnEnable(void* context, bool enabled, uint8_t level, uint64_t match_any, uint64_t match_all) {
  auto* provider = static_cast<TraceProvider*>(context);
  provider->level_ = level;
  provider->match_any_keyword_ = match_any;
  provider->match_all_keyword_ = match_all;
  provider->enabled_ = enabled;
}

TraceProviders::TraceProviders()
    : providers_{TraceProvider({0x2F9EFE86, 0x4AF7, 0x4F37, {0xA4, 0x0F, 0x94, 0xB9, 0x09, 0xA1, 0x57, 0xD6}}),
                 TraceProvider({0xEA08C559, 0x95A8, 0x4AA2, {0xAF, 0xA6, 0x18, 0x73, 0x8E, 0xEC, 0x6D, 0x37}}),
                 TraceProvider({0x10F6728C, 0xEF92, 0x4BF1, {0x83, 0x97, 0x49, 0xE6, 0x93, 0xA6, 0xEB, 0x74}}),
                 TraceProvider({0x46DD7F96, 0x60CB, 0x416B, {0x80, 0x85, 0xDA, 0x5C, 0xD8, 0xF4, 0x91, 0xDD}})} {
  const platform::TraceFacility* facility = platform::CurrentTraceFacility();
  if (!facility) return;
  for (TraceProvider& provider : providers_) provider.Register(*facility);
  if (providers_[1].enabled()) {
    facility->write_thread_name(providers_[1].handle(), platform::CurrentThreadId(), "Main thread");
  }
}

TraceProviders::~TraceProviders() {
  for (TraceProvider& provider : providers_) provider.Unregister();
}

}  // namespace kel::log
