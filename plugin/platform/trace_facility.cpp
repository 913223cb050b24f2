#include "platform/trace_facility.h"

#include <atomic>

namespace kel::platform {

namespace {
std::atomic<const TraceFacility*> g_facility{nullptr};
}  // namespace

const TraceFacility* CurrentTraceFacility() { return g_facility.load(); }

const TraceFacility* SetTraceFacility(const TraceFacility* facility) { return g_facility.exchange(facility); }

}  // namespace kel::platform
